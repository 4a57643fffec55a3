#pragma once

#include <QTextBrowser>

#include <filesystem>

namespace quorvel {

// Shows the HTML user guide as rich text. The guide is a file in the program's folder or the
// user's data folder, so its markup is trusted no further than its own pictures: an image
// named relative to the guide's folder (no "..", no scheme) is read through the file reader,
// anything else it names (other files, devices, style sheets, the network) is never loaded.
// Anchors within the guide scroll; web and mail addresses go to the desktop's handler.
class GuideBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit GuideBrowser(QWidget* parent = nullptr);

    // False with the reason when the file cannot be read; the view is left as it was.
    bool LoadGuide(const std::filesystem::path& file, QString& error);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    void Follow(const QUrl& link);

    std::filesystem::path m_folder;
};

}  // namespace quorvel
