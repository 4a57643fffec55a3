#include "shell/Form1.h"

#include "shell/CatalogueEditor.h"
#include "shell/Form1Extras.h"
#include "shell/search/ChannelSearch.h"

#include "shell/player/MediaPlayer.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/Twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QToolButton>

#include <cstdlib>

namespace quorvel {

Form1::Form1(Form1Options options) : Form("Form1"), m_options(std::move(options)) {
    BuildCategoryBar();
    BuildChannelPanels();
    BuildEditingPanel();
    BuildMenus();
    ResizeClient(15510, 10125);
    ConnectHandlers();
    auto* search = new ChannelSearch(this);
    connect(search, &ChannelSearch::PlayRequested, this,
            [this](const QString& url, const QString& name) { SetPlayerUrl(url, name); });
    new Form1Extras(this);       // stream check, M3U import
    new CatalogueEditor(*this);  // the editing panel's handlers and the catalogue update
}

Form1::~Form1() = default;

void Form1::Message(const QString& text) {
    m_presenter(this, text);
}

void Form1::SetPlayerUrl(const QString& url, const QString& name) {
    if (WindowsMediaPlayer1) {
        WindowsMediaPlayer1->setChannelName(name);
        const auto headers =
            RequestHeadersFor ? RequestHeadersFor(url) : std::pair<std::string, std::string>{};
        WindowsMediaPlayer1->setUrlWithHeaders(url, headers.first, headers.second);
    }
    Q_EMIT PlayerUrlSet(url);
}

// Layout: the left column keeps its width, the player and the panels follow the window.
void Form1::ArrangeControls() {
    const int W = Width();
    const int H = Height();
    FormControl player = *Control("WindowsMediaPlayer1");
    FormControl frame1 = *Control("Frame1");
    FormControl list1 = *Control("ListView1");
    FormControl dir1 = *Control("Dir1");
    FormControl file1 = *Control("File1");
    FormControl website = *Control("cmdWebsite");

    player.Move(player.Left(), player.Top(), std::abs(W - player.Left() - 600),
                std::abs(H - player.Top() - 1000));
    frame1.Move(frame1.Left(), frame1.Top(), frame1.Width(), player.Height() + 140);
    for (const char* panel : {"Frame3", "Frame4"})
        Control(panel)->Move(frame1.Left(), frame1.Top(), frame1.Width(), frame1.Height());
    list1.Move(list1.Left(), list1.Top(), list1.Width(),
               std::abs(frame1.Height() - list1.Top() - 60));
    Control("ListView2")->Move(list1.Left(), list1.Top(), list1.Width(), list1.Height());
    const int frame4Height = Control("Frame4")->Height();
    dir1.Move(dir1.Left(), dir1.Top(), dir1.Width(),
              std::abs((frame4Height - dir1.Top() - 600) / 2));
    file1.Move(file1.Left(), std::abs(dir1.Height() + dir1.Top() + 60), file1.Width(),
               dir1.Height());
    website.Move(website.Left(), website.Top(), std::abs(W - website.Left() - 600),
                 website.Height());
}

void Form1::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    if (!(windowState() & Qt::WindowMinimized))
        ArrangeControls();
}

void Form1::changeEvent(QEvent* event) {
    Form::changeEvent(event);
    // Restoring a minimized window lays it out again.
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized))
        ArrangeControls();
}

}  // namespace quorvel
