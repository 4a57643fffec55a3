#pragma once

#include "shell/guide/ProgrammeActions.h"

#include <QAbstractScrollArea>

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quorvel {

// Channels down, time across, over one span (a day). Only what is seen is drawn: the rows on
// screen are asked of the store when first painted and kept per row until the span or the
// rows change, so a list of any length scrolls as one of ten.
class GuideGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    using Clock = std::function<std::int64_t()>;
    explicit GuideGrid(QWidget* parent = nullptr);

    void SetStore(guide::GuideStore* store);
    void SetClock(Clock clock);
    void SetRows(std::vector<GuideChannelRow> rows);
    const std::vector<GuideChannelRow>& Rows() const { return m_rows; }
    // The span shown, seconds since 1970 UTC.
    void SetSpan(std::int64_t from, std::int64_t to);
    std::int64_t SpanFrom() const { return m_from; }

    // Scrolls so that the moment shows near the left edge.
    void ShowTime(std::int64_t at);
    // Makes the row and its programme at `at` current, and shows them.
    void Choose(int row, std::int64_t at);

    int CurrentRow() const { return m_currentRow; }
    const GuideChannelRow* CurrentChannel() const;
    const guide::StoredProgramme* CurrentProgramme();

    // How many times the store was asked for a row's programmes.
    int StoreQueries() const { return m_queries; }
    int RowHeight() const { return m_rowHeight; }
    int HeaderHeight() const;
    static constexpr int kChannelWidth = 200;
    static constexpr int kHourWidth = 240;

Q_SIGNALS:
    // The channel's name was clicked, or Enter pressed: its row.
    void ChannelActivated(int row);
    // Another programme became current.
    void ProgrammeChosen();
    void ProgrammeMenuRequested(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    const std::vector<guide::StoredProgramme>& ProgrammesOf(int row);
    void UpdateScrollBars();
    int XOf(std::int64_t at) const;
    std::int64_t TimeAtX(int x) const;
    int IndexAt(int row, std::int64_t at);
    void SetCurrent(int row, std::optional<std::int64_t> start);
    void ShowCurrent();
    QRect ProgrammeRect(int row, const guide::StoredProgramme& programme) const;

    guide::GuideStore* m_store = nullptr;
    Clock m_clock;
    std::vector<GuideChannelRow> m_rows;
    std::int64_t m_from = 0;
    std::int64_t m_to = 24 * 3600;
    std::unordered_map<int, std::vector<guide::StoredProgramme>> m_cache;
    int m_queries = 0;
    int m_rowHeight = 40;
    int m_currentRow = -1;
    std::optional<std::int64_t> m_currentStart;
};

}  // namespace quorvel
