#include "shell/player/MpvVideoWidget.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QOpenGLContext>

namespace quorvel {
namespace {

void* GetProcAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

MpvVideoWidget::MpvVideoWidget(mpv_handle* handle, QWidget* parent)
    : QOpenGLWidget(parent), m_handle(handle) {
    setMinimumSize(1, 1);
}

MpvVideoWidget::~MpvVideoWidget() {
    // The base class destroys the context later, when this part of the object is gone.
    if (QOpenGLContext* current = context())
        disconnect(current, nullptr, this, nullptr);
    makeCurrent();
    FreeRenderContext();
    doneCurrent();
}

void MpvVideoWidget::FreeRenderContext() {
    if (!m_render)
        return;
    mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
    mpv_render_context_free(m_render);
    m_render = nullptr;
}

void MpvVideoWidget::initializeGL() {
    if (m_render)
        return;
    if (!m_handle) {
        MarkUnavailable();
        return;
    }
    mpv_opengl_init_params glInit{GetProcAddress, nullptr};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&m_render, m_handle, params) < 0) {
        m_render = nullptr;
        MarkUnavailable();
        return;
    }
    m_unavailable = false;
    // Called on an engine thread: only ask the GUI thread to look.
    mpv_render_context_set_update_callback(
        m_render,
        [](void* self) {
            QMetaObject::invokeMethod(static_cast<MpvVideoWidget*>(self),
                                      &MpvVideoWidget::OnEngineUpdate, Qt::QueuedConnection);
        },
        this);
    // The context goes when the widget changes its top-level window; free ours first.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        FreeRenderContext();
        doneCurrent();
    });
    Q_EMIT Ready();
}

void MpvVideoWidget::MarkUnavailable() {
    m_unavailable = true;
    Q_EMIT Unavailable();
}

void MpvVideoWidget::OnEngineUpdate() {
    if (m_render && (mpv_render_context_update(m_render) & MPV_RENDER_UPDATE_FRAME))
        update();
}

void MpvVideoWidget::paintGL() {
    if (!m_render)
        return;
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                       static_cast<int>(width() * ratio), static_cast<int>(height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_render, params);
    ++m_framesDrawn;
}

void MpvVideoWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    Q_EMIT DoubleClicked();
    event->accept();
}

}  // namespace quorvel
