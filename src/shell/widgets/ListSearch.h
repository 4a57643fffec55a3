#pragma once

#include <QLineEdit>
#include <QObject>

#include <optional>
#include <string>
#include <vector>

#include "search/NameSearch.h"

namespace quorvel {

class ListView;

// A line edit for a search text: Escape empties it.
class SearchBox : public QLineEdit {
    Q_OBJECT
public:
    explicit SearchBox(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Narrows the rows a ListView shows to those whose name (the row text) holds the search
// text, letter case and accents ignored. The rows themselves, their order, sort and
// selection stay theirs: clearing the text shows them all again as they are. Whatever
// loads or changes the rows, the text applies to the new rows.
class ListSearch : public QObject {
    Q_OBJECT
public:
    // Follows the box's text when one is given.
    ListSearch(ListView* view, QLineEdit* box = nullptr);

    void SetQuery(const QString& text);
    const QString& Query() const { return m_query; }

private:
    std::optional<std::vector<int>> Filter(bool rowsChanged);

    ListView* m_view;
    QString m_query;
    std::string m_queryUtf8;
    NameSearch m_search;
    bool m_namesStale = true;
};

}  // namespace quorvel
