#include "app/TrafficListModel.h"

#include <QBrush>
#include <QColor>

using busreport::TrafficKind;
using busreport::TrafficLine;

CTrafficListModel::CTrafficListModel(const busreport::CTrafficLog& log, QObject* parent)
    : QAbstractListModel(parent), m_log(log)
{
    m_shown.fill(true);
    Rebuild();
}

void CTrafficListModel::SetShown(TrafficKind kind, bool shown)
{
    if (IsShown(kind) == shown)
        return;
    m_shown[std::size_t(kind)] = shown;
    Rebuild();
}

const TrafficLine* CTrafficListModel::LineOf(std::uint64_t number) const
{
    const auto& lines = m_log.Lines();
    // The log's numbers run without gaps from its first line on.
    if (lines.empty() || number < lines.front().number || number > lines.back().number)
        return nullptr;
    return &lines[std::size_t(number - lines.front().number)];
}

std::deque<std::uint64_t> CTrafficListModel::ShownFrom(std::uint64_t first) const
{
    std::deque<std::uint64_t> shown;
    const auto& lines = m_log.Lines();
    const std::uint64_t oldest = lines.empty() ? m_log.NextNumber() : lines.front().number;
    for (std::size_t i = std::size_t(std::max(first, oldest) - oldest); i < lines.size(); ++i) {
        if (IsShown(lines[i].kind))
            shown.push_back(lines[i].number);
    }
    return shown;
}

void CTrafficListModel::Sync()
{
    const auto& lines = m_log.Lines();
    const std::uint64_t oldest = lines.empty() ? m_log.NextNumber() : lines.front().number;
    std::size_t gone = 0;
    while (gone < m_rows.size() && m_rows[gone] < oldest)
        ++gone;
    if (gone > 0) {
        beginRemoveRows({}, 0, int(gone) - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + std::ptrdiff_t(gone));
        endRemoveRows();
    }
    const std::deque<std::uint64_t> added = ShownFrom(m_nextNumber);
    m_nextNumber = m_log.NextNumber();
    if (added.empty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + added.size()) - 1);
    m_rows.insert(m_rows.end(), added.begin(), added.end());
    endInsertRows();
}

void CTrafficListModel::Rebuild()
{
    beginResetModel();
    m_rows = ShownFrom(0);
    m_nextNumber = m_log.NextNumber();
    endResetModel();
}

QStringList CTrafficListModel::ShownText() const
{
    QStringList text;
    for (std::uint64_t number : m_rows) {
        if (const TrafficLine* line = LineOf(number))
            text << QString::fromStdString(line->text);
    }
    return text;
}

int CTrafficListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant CTrafficListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || std::size_t(index.row()) >= m_rows.size())
        return {};
    // A line that left the log since the last Sync shows as empty until then.
    const TrafficLine* line = LineOf(m_rows[std::size_t(index.row())]);
    if (!line)
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return QString::fromStdString(line->text);
    if (role == Qt::ForegroundRole && line->kind == TrafficKind::Error)
        return QBrush(QColor(176, 0, 0));
    if (role == Qt::ForegroundRole && line->kind == TrafficKind::Echo)
        return QBrush(QColor(112, 112, 112));
    return {};
}
