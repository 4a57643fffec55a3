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
    // Frames drawn so far; tests use it to see pictures arrive.
    quint64 FramesDrawn() const { return m_framesDrawn; }

Q_SIGNALS:
    void Ready();
    void DoubleClicked();

protected:
    void initializeGL() override;
    void paintGL() override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void OnEngineUpdate();
    void FreeRenderContext();

    mpv_handle* m_handle = nullptr;
    mpv_render_context* m_render = nullptr;
    quint64 m_framesDrawn = 0;
};

}  // namespace quorvel
