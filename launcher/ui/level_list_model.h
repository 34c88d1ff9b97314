#pragma once

#include "launcher/catalogue.h"

#include <QAbstractTableModel>
#include <vector>

namespace playdeck {

// The rows of the main list: text only, kept as the catalogue's bytes. The
// commands read those bytes back (a file name that is not valid in the
// locale's encoding still names its file); only what is painted is converted.
class LevelListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Replaces columns and rows; rows keep their order.
    void setColumns(std::span<const ColumnSpec> columns);
    void setRows(std::vector<CatalogueRow> rows);
    void clearRows();

    int columnWidth(int column) const;
    // "" for a column the row does not fill or a row that does not exist.
    QString text(int row, int column) const;
    const std::string& bytes(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<ColumnSpec> m_columns;
    std::vector<CatalogueRow> m_rows;
};

} // namespace playdeck
