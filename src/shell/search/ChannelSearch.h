#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/search/EverythingRows.h"

class QComboBox;
class QThread;
class QWidget;

namespace quorvel {

class Form1;
class ListSearch;
class ListView;
class SearchBox;

// The search boxes of the main window. Above the channel list a box and a choice beside it:
// "This list" narrows the rows shown; "Everything" searches every category of the catalogue
// and every playlist at once, and lists what it finds over the channel list with where each
// comes from, until the box is emptied or the choice goes back. Above the favorites a box
// that narrows them. Ctrl+F goes to the box of the panel shown; Escape empties it; Down
// goes from the box into the results.
class ChannelSearch : public QObject {
    Q_OBJECT
public:
    explicit ChannelSearch(Form1* form);
    ~ChannelSearch() override;

    SearchBox* txtSearch1 = nullptr;  // above ListView1
    SearchBox* txtSearch2 = nullptr;  // above ListView2
    QComboBox* cboSearchScope = nullptr;
    ListView* lstEverything = nullptr;

    enum Scope { ThisList = 0, Everything = 1 };

    void FocusSearch();
    // The user's playlists, for Everything; asked for each time the index is made.
    void SetPlaylists(std::function<std::vector<NamedPlaylist>()> playlists);
    // The catalogue or the playlists changed: the next search reads them again.
    void SourcesChanged();
    bool ResultsShown() const;

Q_SIGNALS:
    // A result was clicked or chosen with Enter: the main window plays it.
    void PlayRequested(const QString& url, const QString& name);
    // Everything was searched and the results are listed: how many.
    void EverythingListed(int count);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RetranslateUi();
    void QueryChanged();
    void StartIndex();
    void ListResults();
    void ShowResults(bool shown);
    void PlayResult(int position);

    Form1* m_form;
    QWidget* m_bar = nullptr;
    ListSearch* m_search1 = nullptr;
    ListSearch* m_search2 = nullptr;
    std::function<std::vector<NamedPlaylist>()> m_playlists;
    std::shared_ptr<EverythingIndex> m_index;
    QPointer<QThread> m_indexing;
    bool m_indexAgain = false;
};

}  // namespace quorvel
