#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <memory>

class QOpenGLContext;

namespace quorvel {

class VideoSurface;

// Draws the engine's pictures through its render API, straight into a native window of its
// own (swapped, never composed with the other widgets: composing every frame in software
// cost as much as decoding it). The engine cannot open video until the render context
// exists, so Ready tells when it does. Never re-parent this widget: its native window and
// the engine's GL objects belong to the window it was first shown in. Clicks pass through
// the picture to this widget and its parents. Widgets stacked above it (a panel shown over
// the player) stay visible: the native window is cut around them.
class MpvVideoWidget : public QWidget {
    Q_OBJECT
public:
    MpvVideoWidget(mpv_handle* handle, QWidget* parent = nullptr);
    ~MpvVideoWidget() override;

    bool IsReady() const { return m_render != nullptr; }
    // The widget was set up but the engine could not draw into it (no engine, or a GL the
    // engine cannot use): sound still plays, video fails with the engine's reason.
    bool IsUnavailable() const { return m_unavailable; }
    // Frames drawn so far; tests use it to see pictures arrive.
    quint64 FramesDrawn() const { return m_framesDrawn; }
    // Shows black instead of the last picture (after a stop or a failure) until
    // ShowPictures.
    void ClearPicture();
    void ShowPictures();
    bool IsBlank() const { return m_blank; }
    // The picture as it is shown now, drawn again off screen (null before Ready).
    QImage grabFramebuffer();

Q_SIGNALS:
    void Ready();
    void Unavailable();
    void DoubleClicked();
    // A picture reached the screen.
    void frameSwapped();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class VideoSurface;

    void Initialize();
    void Draw();
    bool MakeCurrent();
    void RenderTo(int fbo, const QSize& size);
    void OnEngineUpdate();
    void FreeRenderContext();
    void MarkUnavailable();
    QRegion CoveredRegion() const;
    void ClipToUncovered();

    mpv_handle* m_handle = nullptr;
    // Owned by its window container, a child of this widget.
    VideoSurface* m_surface = nullptr;
    QWidget* m_container = nullptr;
    QRegion m_uncovered;
    bool m_clipQueued = false;
    std::unique_ptr<QOpenGLContext> m_context;
    mpv_render_context* m_render = nullptr;
    bool m_unavailable = false;
    bool m_blank = false;
    quint64 m_framesDrawn = 0;
};

}  // namespace quorvel
