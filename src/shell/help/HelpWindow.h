#pragma once

#include <QWidget>

#include <filesystem>

namespace quorvel {

class GuideBrowser;

// The user guide in a window of the program's own, so that help needs no web browser.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the guide, or why it cannot be read.
    void ShowGuide(const std::filesystem::path& file);

    GuideBrowser* Browser() const { return m_browser; }

private:
    GuideBrowser* m_browser;
};

// Opens the guide in the help window (the open one, raised, or a new one) and returns it.
HelpWindow* ShowUserGuide(const std::filesystem::path& file);

}  // namespace quorvel
