#include "launcher/ui/level_list_model.h"

#include "common/qt_text.h"
namespace playdeck {

void LevelListModel::setColumns(std::span<const ColumnSpec> columns)
{
    beginResetModel();
    m_columns.assign(columns.begin(), columns.end());
    m_rows.clear();
    endResetModel();
}

void LevelListModel::setRows(std::vector<CatalogueRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void LevelListModel::clearRows()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int LevelListModel::columnWidth(int column) const
{
    return column >= 0 && column < static_cast<int>(m_columns.size()) ? m_columns[column].width : 0;
}

const std::string& LevelListModel::bytes(int row, int column) const
{
    static const std::string empty;
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return empty;
    const CatalogueRow& cells = m_rows[static_cast<size_t>(row)];
    return column >= 0 && column < static_cast<int>(cells.size())
               ? cells[static_cast<size_t>(column)]
               : empty;
}

QString LevelListModel::text(int row, int column) const
{
    const std::string& cell = bytes(row, column);
    return qm::DisplayText(cell);
}

int LevelListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int LevelListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant LevelListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant LevelListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(m_columns.size()))
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(m_columns[static_cast<size_t>(section)].caption);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags LevelListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace playdeck
