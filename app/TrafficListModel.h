#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <array>
#include <cstdint>
#include <deque>

#include "busreport/TrafficLog.h"

// The lines of a bus monitor's log that its filter lets through, as a list
// for a view. It follows the log when told to (Sync), row by row, so a view
// keeps its selection and scroll position while lines come and go.
class CTrafficListModel final : public QAbstractListModel {
public:
    explicit CTrafficListModel(const busreport::CTrafficLog& log, QObject* parent = nullptr);

    void SetShown(busreport::TrafficKind kind, bool shown);
    bool IsShown(busreport::TrafficKind kind) const { return m_shown[std::size_t(kind)]; }

    // Removes the rows whose lines have left the log and adds the lines new
    // since the last call.
    void Sync();
    // Starts again from the log as it stands (after the log was cleared).
    void Rebuild();

    // The text of every row, in order.
    QStringList ShownText() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const busreport::TrafficLine* LineOf(std::uint64_t number) const;
    // The numbers of the log's lines from `first` on that the filter passes.
    std::deque<std::uint64_t> ShownFrom(std::uint64_t first) const;

    const busreport::CTrafficLog& m_log;
    std::array<bool, busreport::kTrafficKindCount> m_shown;
    std::deque<std::uint64_t> m_rows; // line numbers, ascending
    std::uint64_t m_nextNumber = 0;   // the first line not yet looked at
};
