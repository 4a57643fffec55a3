#pragma once

#include <QOpenGLWidget>

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

namespace quorvel {

// Draws the engine's pictures through its render API. The engine cannot open video until
// the render context exists, so Ready tells when it does. Never re-parent this widget:
// that recreates the GL context and the engine drops the video track.
class MpvVideoWidget : public QOpenGLWidget {
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

Q_SIGNALS:
    void Ready();
    void Unavailable();
    void DoubleClicked();

protected:
    void initializeGL() override;
    void paintGL() override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void OnEngineUpdate();
    void FreeRenderContext();
    void MarkUnavailable();

    mpv_handle* m_handle = nullptr;
    mpv_render_context* m_render = nullptr;
    bool m_unavailable = false;
    bool m_blank = false;
    quint64 m_framesDrawn = 0;
};

}  // namespace quorvel
