#pragma once

#include <QObject>
#include <QSize>

namespace quorvel {

class ListView;
class LogoProvider;

// Which rows keep a place for a logo: those that name one, or every row (a list that mixes
// channels with and without logos, so that every name starts at the same place).
enum class LogoPlaces { RowsWithLogo, EveryRow };

// Shows the rows' logos small in a list's first column. A row's logo is asked for when the
// view paints the row, never before, so a list of any length shows at once; requests for
// rows scrolled away are ended. A row whose logo has not come (or never comes) keeps an
// empty place of the same size.
class ListLogos : public QObject {
    Q_OBJECT
public:
    ListLogos(ListView* view, LogoProvider* provider, LogoPlaces places = LogoPlaces::RowsWithLogo);

    QSize Box() const { return m_box; }

private:
    void Scrolled();
    void RetainShown();

    ListView* m_view;
    LogoProvider* m_provider;
    QSize m_box;
    bool m_retainQueued = false;
};

}  // namespace quorvel
