#include "shell/player/MpvVideoWidget.h"

#include <QtGui/qguiapplication_platform.h>
#include <QExposeEvent>
#include <QGuiApplication>
#include <QMetaObject>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QVBoxLayout>
#include <QWindow>

#include "threads/ThreadEdge.h"

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

// The native window the pictures are swapped into. It takes no input: the X server hands
// clicks to the window below, where the widgets are.
class VideoSurface final : public QWindow {
public:
    explicit VideoSurface(MpvVideoWidget& owner) : m_owner(owner) {
        setSurfaceType(QSurface::OpenGLSurface);
        setFlags(flags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
        QSurfaceFormat format = QSurfaceFormat::defaultFormat();
        // The engine needs neither; in software GL they cost memory and clears.
        format.setDepthBufferSize(0);
        format.setStencilBufferSize(0);
        setFormat(format);
    }

protected:
    void exposeEvent(QExposeEvent*) override {
        if (isExposed())
            m_owner.Draw();
    }
    void resizeEvent(QResizeEvent*) override {
        // Shrinking brings no expose event, yet the picture must be fitted again.
        if (isExposed())
            m_owner.Draw();
    }

private:
    MpvVideoWidget& m_owner;
};

MpvVideoWidget::MpvVideoWidget(mpv_handle* handle, QWidget* parent)
    : QWidget(parent), m_handle(handle), m_surface(new VideoSurface(*this)) {
    setMinimumSize(1, 1);
    m_container = QWidget::createWindowContainer(m_surface, this);
    m_container->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_container->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_container);
    // A native window sits above every widget drawn in its window: it is cut around those
    // stacked above this one whenever one of them shows, hides, moves or changes size.
    qApp->installEventFilter(this);
}

bool MpvVideoWidget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::ZOrderChange:
            if (!m_clipQueued && watched->isWidgetType() &&
                static_cast<QWidget*>(watched)->window() == window()) {
                m_clipQueued = true;
                QMetaObject::invokeMethod(this, &MpvVideoWidget::ClipToUncovered,
                                          Qt::QueuedConnection);
            }
            break;
        default:
            break;
    }
    return false;
}

QRegion MpvVideoWidget::CoveredRegion() const {
    // Later children of a parent are drawn above the earlier ones.
    QRegion covered;
    for (const QWidget* child = this; !child->isWindow(); child = child->parentWidget()) {
        const QWidget* parent = child->parentWidget();
        const QObjectList& siblings = parent->children();
        for (qsizetype i = siblings.indexOf(child) + 1; i < siblings.size(); ++i) {
            const auto* sibling = qobject_cast<const QWidget*>(siblings.at(i));
            if (!sibling || sibling->isWindow() || !sibling->isVisible())
                continue;
            const QRect area(mapFrom(parent, sibling->pos()), sibling->size());
            covered += area & rect();
        }
    }
    return covered;
}

void MpvVideoWidget::ClipToUncovered() {
    m_clipQueued = false;
    const QRegion uncovered = QRegion(rect()) - CoveredRegion();
    if (uncovered == m_uncovered)
        return;
    m_uncovered = uncovered;
    // An empty mask would mean no mask at all: a wholly covered picture is hidden instead.
    m_container->setVisible(!uncovered.isEmpty());
    m_surface->setMask(uncovered == QRegion(rect()) ? QRegion() : uncovered);
}

MpvVideoWidget::~MpvVideoWidget() {
    // The engine frees its GL objects with the context current; the window goes later,
    // with the container.
    if (m_render && MakeCurrent()) {
        FreeRenderContext();
        m_context->doneCurrent();
    } else {
        FreeRenderContext();
    }
}

void MpvVideoWidget::FreeRenderContext() {
    if (!m_render)
        return;
    mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
    mpv_render_context_free(m_render);
    m_render = nullptr;
}

bool MpvVideoWidget::MakeCurrent() {
    return m_context && m_surface->handle() && m_context->makeCurrent(m_surface);
}

void MpvVideoWidget::Initialize() {
    if (m_render || m_unavailable)
        return;
    if (!m_handle) {
        MarkUnavailable();
        return;
    }
    m_context = std::make_unique<QOpenGLContext>();
    m_context->setFormat(m_surface->requestedFormat());
    if (!m_context->create() || !MakeCurrent()) {
        m_context.reset();
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
        m_context->doneCurrent();
        m_context.reset();
        MarkUnavailable();
        return;
    }
    // Called on an engine thread: only ask the GUI thread to look.
    mpv_render_context_set_update_callback(
        m_render,
        [](void* self) {
            // Nothing may be thrown through the engine's C code; a missed update is followed
            // by the next one.
            RunAtThreadEdge(
                [self] {
                    QMetaObject::invokeMethod(static_cast<MpvVideoWidget*>(self),
                                              &MpvVideoWidget::OnEngineUpdate,
                                              Qt::QueuedConnection);
                },
                [](const std::string&) {});
        },
        this);
    Q_EMIT Ready();
}

void MpvVideoWidget::MarkUnavailable() {
    m_unavailable = true;
    Q_EMIT Unavailable();
}

void MpvVideoWidget::ClearPicture() {
    m_blank = true;
    Draw();
}

void MpvVideoWidget::ShowPictures() {
    m_blank = false;
    Draw();
}

void MpvVideoWidget::OnEngineUpdate() {
    // The engine may touch GL state here: only with our context current.
    if (!m_render || !MakeCurrent())
        return;
    const std::uint64_t flags = mpv_render_context_update(m_render);
    // Only a new frame is drawn: nothing else on screen changed.
    if (!(flags & MPV_RENDER_UPDATE_FRAME))
        return;
    if (!m_blank && m_surface->isExposed()) {
        Draw();
        return;
    }
    // Nobody sees it, yet the engine waits for each frame to be taken and swapped, a fifth
    // of a second each: it is taken without drawing.
    int skip = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_render, params);
    mpv_render_context_report_swap(m_render);
}

void MpvVideoWidget::RenderTo(int fbo, const QSize& size) {
    if (m_blank) {
        QOpenGLFunctions* gl = m_context->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    mpv_opengl_fbo target{fbo, size.width(), size.height(), 0};
    int flipY = 1;
    // Never wait here for the frame's due time: this is the window's only thread.
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &target},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_render, params);
}

void MpvVideoWidget::Draw() {
    if (!m_surface->isExposed())
        return;
    Initialize();
    if (!m_render || !MakeCurrent())
        return;
    RenderTo(static_cast<int>(m_context->defaultFramebufferObject()),
             m_surface->size() * m_surface->devicePixelRatio());
    m_context->swapBuffers(m_surface);
    if (!m_blank) {
        mpv_render_context_report_swap(m_render);
        ++m_framesDrawn;
    }
    Q_EMIT frameSwapped();
}

QImage MpvVideoWidget::grabFramebuffer() {
    if (!m_render || !MakeCurrent())
        return {};
    const QSize size = m_surface->size() * m_surface->devicePixelRatio();
    QOpenGLFramebufferObject fbo(size.expandedTo(QSize(1, 1)));
    fbo.bind();
    RenderTo(static_cast<int>(fbo.handle()), fbo.size());
    fbo.release();
    return fbo.toImage();
}

void MpvVideoWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    Q_EMIT DoubleClicked();
    event->accept();
}

}  // namespace quorvel
