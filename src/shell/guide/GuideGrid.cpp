#include "shell/guide/GuideGrid.h"

#include "shell/widgets/PlainText.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace quorvel {

namespace {

// Rows asked for and kept at most; scrolled far past them, the cache starts again.
constexpr std::size_t kCachedRows = 1000;
// The most characters drawn of a title or a name: the rest is cut by the cell anyway.
constexpr int kDrawnChars = 200;

QString Drawn(const std::string& text) {
    return CappedText(QString::fromStdString(text), kDrawnChars);
}

QString ClockTime(std::int64_t at) {
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(at).time(), QLocale::ShortFormat);
}

}  // namespace

GuideGrid::GuideGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("GuideGrid"));
    setFocusPolicy(Qt::StrongFocus);
    m_clock = [] { return QDateTime::currentSecsSinceEpoch(); };
    m_rowHeight = fontMetrics().height() * 2 + 10;
    verticalScrollBar()->setSingleStep(m_rowHeight);
    horizontalScrollBar()->setSingleStep(kHourWidth / 4);
}

void GuideGrid::SetStore(guide::GuideStore* store) {
    m_store = store;
    m_cache.clear();
    viewport()->update();
}

void GuideGrid::SetClock(Clock clock) {
    m_clock = std::move(clock);
}

void GuideGrid::SetRows(std::vector<GuideChannelRow> rows) {
    m_rows = std::move(rows);
    m_cache.clear();
    m_currentRow = -1;
    m_currentStart.reset();
    UpdateScrollBars();
    viewport()->update();
}

void GuideGrid::SetSpan(std::int64_t from, std::int64_t to) {
    m_from = from;
    m_to = std::max(to, from + 3600);
    m_cache.clear();
    m_currentStart.reset();
    UpdateScrollBars();
    viewport()->update();
}

int GuideGrid::HeaderHeight() const {
    return fontMetrics().height() + 10;
}

int GuideGrid::XOf(std::int64_t at) const {
    return kChannelWidth +
           static_cast<int>((at - m_from) * kHourWidth / 3600 - horizontalScrollBar()->value());
}

std::int64_t GuideGrid::TimeAtX(int x) const {
    return m_from + static_cast<std::int64_t>(x - kChannelWidth + horizontalScrollBar()->value()) *
                        3600 / kHourWidth;
}

void GuideGrid::UpdateScrollBars() {
    const int width = static_cast<int>((m_to - m_from) * kHourWidth / 3600);
    const int shownWidth = std::max(0, viewport()->width() - kChannelWidth);
    horizontalScrollBar()->setRange(0, std::max(0, width - shownWidth));
    horizontalScrollBar()->setPageStep(shownWidth);
    const int height = static_cast<int>(m_rows.size()) * m_rowHeight;
    const int shownHeight = std::max(0, viewport()->height() - HeaderHeight());
    verticalScrollBar()->setRange(0, std::max(0, height - shownHeight));
    verticalScrollBar()->setPageStep(shownHeight);
}

void GuideGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

const std::vector<guide::StoredProgramme>& GuideGrid::ProgrammesOf(int row) {
    if (const auto found = m_cache.find(row); found != m_cache.end())
        return found->second;
    if (m_cache.size() >= kCachedRows)
        m_cache.clear();
    std::vector<guide::StoredProgramme> programmes;
    const GuideChannelRow& channel = m_rows[static_cast<std::size_t>(row)];
    if (m_store && !channel.guideId.empty()) {
        ++m_queries;
        // The store holds the guide's times; the channel shows them moved by its shift.
        programmes =
            m_store->Programmes(channel.guideId, m_from - channel.shift, m_to - channel.shift);
        for (guide::StoredProgramme& programme : programmes) {
            programme.start += channel.shift;
            programme.stop += channel.shift;
        }
    }
    return m_cache.emplace(row, std::move(programmes)).first->second;
}

QRect GuideGrid::ProgrammeRect(int row, const guide::StoredProgramme& programme) const {
    const int y = HeaderHeight() + row * m_rowHeight - verticalScrollBar()->value();
    const int left = std::max(XOf(std::max(programme.start, m_from)), kChannelWidth);
    const int right = XOf(std::min(programme.stop, m_to));
    return {left, y, std::max(1, right - left), m_rowHeight};
}

void GuideGrid::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QPalette& colours = palette();
    painter.fillRect(viewport()->rect(), colours.base());
    const int header = HeaderHeight();
    const int width = viewport()->width();
    const int height = viewport()->height();
    const std::int64_t now = m_clock();
    const std::int64_t shownFrom = TimeAtX(kChannelWidth);
    const std::int64_t shownTo = TimeAtX(width) + 1;
    const int count = static_cast<int>(m_rows.size());
    const int first = verticalScrollBar()->value() / m_rowHeight;
    const int last =
        std::min(count - 1, (verticalScrollBar()->value() + height - header) / m_rowHeight);
    const QFontMetrics metrics = fontMetrics();

    painter.setClipRect(kChannelWidth, header, width - kChannelWidth, height - header);
    for (int row = first; row <= last; ++row) {
        for (const guide::StoredProgramme& programme : ProgrammesOf(row)) {
            if (programme.stop <= shownFrom || programme.start >= shownTo)
                continue;
            const QRect cell = ProgrammeRect(row, programme).adjusted(0, 0, -1, -1);
            const bool current = row == m_currentRow && m_currentStart == programme.start;
            const bool onAir = programme.start <= now && now < programme.stop;
            painter.fillRect(cell, current ? colours.highlight()
                                   : onAir ? colours.alternateBase()
                                           : colours.base());
            painter.setPen(colours.mid().color());
            painter.drawRect(cell);
            painter.setPen(current ? colours.highlightedText().color() : colours.text().color());
            const QRect text = cell.adjusted(4, 2, -4, -2);
            const QString title = metrics.elidedText(Drawn(programme.texts[guide::kTitle]),
                                                     Qt::ElideRight, text.width());
            painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title);
            const QString times = metrics.elidedText(
                ClockTime(programme.start) + QStringLiteral(" \u2013 ") + ClockTime(programme.stop),
                Qt::ElideRight, text.width());
            painter.drawText(text, Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine, times);
        }
    }
    // The now line.
    if (now >= shownFrom && now < shownTo) {
        painter.setPen(QPen(Qt::red, 2));
        painter.drawLine(XOf(now), header, XOf(now), height);
    }

    painter.setClipRect(0, header, kChannelWidth, height - header);
    for (int row = first; row <= last; ++row) {
        const QRect cell(0, header + row * m_rowHeight - verticalScrollBar()->value(),
                         kChannelWidth - 1, m_rowHeight - 1);
        const bool current = row == m_currentRow;
        painter.fillRect(cell, current ? colours.highlight() : colours.button());
        painter.setPen(colours.mid().color());
        painter.drawRect(cell);
        painter.setPen(current ? colours.highlightedText().color() : colours.buttonText().color());
        const QRect text = cell.adjusted(6, 0, -4, 0);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(Drawn(m_rows[static_cast<std::size_t>(row)].name),
                                            Qt::ElideRight, text.width()));
    }

    // The hours across the top.
    painter.setClipRect(0, 0, width, header);
    painter.fillRect(0, 0, width, header, colours.window());
    painter.setPen(colours.windowText().color());
    painter.setClipRect(kChannelWidth, 0, width - kChannelWidth, header);
    for (std::int64_t hour =
             m_from + std::max<std::int64_t>(0, (shownFrom - m_from + 1799) / 1800) * 1800;
         hour < shownTo && hour < m_to; hour += 1800) {
        const int x = XOf(hour);
        painter.drawLine(x, header - 6, x, header);
        painter.drawText(QRect(x + 3, 0, kHourWidth / 2 - 6, header),
                         Qt::AlignLeft | Qt::AlignVCenter, ClockTime(hour));
    }
}

int GuideGrid::IndexAt(int row, std::int64_t at) {
    const std::vector<guide::StoredProgramme>& programmes = ProgrammesOf(row);
    // The one on air at `at`: of several, the one that starts latest.
    int found = -1;
    for (int i = 0; i < static_cast<int>(programmes.size()); ++i) {
        const guide::StoredProgramme& programme = programmes[static_cast<std::size_t>(i)];
        if (programme.start <= at && at < programme.stop)
            found = i;
    }
    return found;
}

const GuideChannelRow* GuideGrid::CurrentChannel() const {
    if (m_currentRow < 0 || m_currentRow >= static_cast<int>(m_rows.size()))
        return nullptr;
    return &m_rows[static_cast<std::size_t>(m_currentRow)];
}

const guide::StoredProgramme* GuideGrid::CurrentProgramme() {
    if (!CurrentChannel() || !m_currentStart)
        return nullptr;
    for (const guide::StoredProgramme& programme : ProgrammesOf(m_currentRow)) {
        if (programme.start == *m_currentStart)
            return &programme;
    }
    return nullptr;
}

void GuideGrid::SetCurrent(int row, std::optional<std::int64_t> start) {
    if (row == m_currentRow && start == m_currentStart)
        return;
    m_currentRow = row;
    m_currentStart = start;
    viewport()->update();
    Q_EMIT ProgrammeChosen();
}

void GuideGrid::Choose(int row, std::int64_t at) {
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return;
    const int index = IndexAt(row, at);
    std::optional<std::int64_t> start;
    if (index >= 0)
        start = ProgrammesOf(row)[static_cast<std::size_t>(index)].start;
    SetCurrent(row, start);
    ShowTime(start ? std::max(*start, m_from) : at);
    ShowCurrent();
}

void GuideGrid::ShowTime(std::int64_t at) {
    // A little of what came before stays in sight.
    horizontalScrollBar()->setValue(static_cast<int>((at - m_from) * kHourWidth / 3600) -
                                    kHourWidth / 4);
}

void GuideGrid::ShowCurrent() {
    if (m_currentRow < 0)
        return;
    const int top = m_currentRow * m_rowHeight;
    const int shown = viewport()->height() - HeaderHeight();
    QScrollBar* bar = verticalScrollBar();
    if (top < bar->value())
        bar->setValue(top);
    else if (top + m_rowHeight > bar->value() + shown)
        bar->setValue(top + m_rowHeight - shown);
    if (const guide::StoredProgramme* programme = CurrentProgramme()) {
        const int left = XOf(std::max(programme->start, m_from));
        if (left < kChannelWidth || left > viewport()->width() - kHourWidth / 2)
            ShowTime(std::max(programme->start, m_from));
    }
}

void GuideGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (at.y() < HeaderHeight())
        return;
    const int row = (at.y() - HeaderHeight() + verticalScrollBar()->value()) / m_rowHeight;
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return;
    if (at.x() < kChannelWidth) {
        SetCurrent(row, std::nullopt);
        if (event->button() == Qt::LeftButton)
            Q_EMIT ChannelActivated(row);
        return;
    }
    const int index = IndexAt(row, TimeAtX(at.x()));
    std::optional<std::int64_t> start;
    if (index >= 0)
        start = ProgrammesOf(row)[static_cast<std::size_t>(index)].start;
    SetCurrent(row, start);
}

void GuideGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse) {
        if (CurrentProgramme())
            Q_EMIT ProgrammeMenuRequested(event->globalPos());
        return;
    }
    if (const guide::StoredProgramme* programme = CurrentProgramme()) {
        const QRect cell = ProgrammeRect(m_currentRow, *programme);
        Q_EMIT ProgrammeMenuRequested(viewport()->mapToGlobal(cell.center()));
    }
}

void GuideGrid::keyPressEvent(QKeyEvent* event) {
    const int count = static_cast<int>(m_rows.size());
    if (count == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int row = std::max(0, m_currentRow);
    const guide::StoredProgramme* programme = CurrentProgramme();
    // Up and down keep to the moment in view: the current programme's, else now.
    std::int64_t at = programme ? std::max(programme->start, m_from) : m_clock();
    if (at < m_from || at >= m_to)
        at = TimeAtX(kChannelWidth + 1);
    const int page = std::max(1, (viewport()->height() - HeaderHeight()) / m_rowHeight);
    switch (event->key()) {
        case Qt::Key_Up:
            Choose(std::max(0, row - (m_currentRow < 0 ? 0 : 1)), at);
            return;
        case Qt::Key_Down:
            Choose(std::min(count - 1, row + (m_currentRow < 0 ? 0 : 1)), at);
            return;
        case Qt::Key_PageUp:
            Choose(std::max(0, row - page), at);
            return;
        case Qt::Key_PageDown:
            Choose(std::min(count - 1, row + page), at);
            return;
        case Qt::Key_Home:
            if (event->modifiers() & Qt::ControlModifier)
                Choose(0, at);
            else
                Choose(row, m_clock());
            return;
        case Qt::Key_End:
            if (event->modifiers() & Qt::ControlModifier) {
                Choose(count - 1, at);
                return;
            }
            break;
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const std::vector<guide::StoredProgramme>& programmes = ProgrammesOf(row);
            int index = IndexAt(row, at);
            if (programmes.empty())
                return;
            if (index < 0)
                index = 0;
            else if (event->key() == Qt::Key_Left)
                index = std::max(0, index - 1);
            else
                index = std::min(static_cast<int>(programmes.size()) - 1, index + 1);
            SetCurrent(row, programmes[static_cast<std::size_t>(index)].start);
            ShowCurrent();
            return;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_currentRow >= 0)
                Q_EMIT ChannelActivated(m_currentRow);
            return;
        default:
            break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace quorvel
