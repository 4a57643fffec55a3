#include "shell/player/MpvVideoWidget.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QMetaObject>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace quorvel {
namespace {

void* GetProcAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

// The X display, so the engine can hand decoded frames from the graphics card straight
// to the picture; null elsewhere, where the engine decodes without it.
void* X11Display() {
#if QT_CONFIG(xcb)
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        return x11->display();
#endif
    return nullptr;
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
        {MPV_RENDER_PARAM_X11_DISPLAY, X11Display()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (!params[2].data)
        params[2].type = MPV_RENDER_PARAM_INVALID;
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

void MpvVideoWidget::ClearPicture() {
    m_blank = true;
    update();
}

void MpvVideoWidget::ShowPictures() {
    m_blank = false;
    update();
}

void MpvVideoWidget::OnEngineUpdate() {
    if (!m_render)
        return;
    // The engine may touch GL state here: only with our context current.
    makeCurrent();
    const std::uint64_t flags = mpv_render_context_update(m_render);
    doneCurrent();
    if ((flags & MPV_RENDER_UPDATE_FRAME) && !m_blank)
        update();
}

void MpvVideoWidget::paintGL() {
    if (!m_render)
        return;
    if (m_blank) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                       static_cast<int>(width() * ratio), static_cast<int>(height() * ratio), 0};
    int flipY = 1;
    // Never wait here for the frame's due time: this is the window's only thread.
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
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
