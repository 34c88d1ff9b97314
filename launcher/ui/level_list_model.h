#pragma once

#include "launcher/catalogue.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace playdeck {

// The rows of the main list: text only, as the catalogue gives them. Filled in
// one reset so a large folder costs one conversion per cell and nothing more.
class LevelListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Replaces columns and rows; rows keep their order.
    void setColumns(std::span<const ColumnSpec> columns);
    void setRows(const std::vector<CatalogueRow>& rows);
    void clearRows();

    int columnWidth(int column) const;
    // "" for a column the row does not fill or a row that does not exist.
    QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<ColumnSpec> m_columns;
    std::vector<QStringList> m_rows;
};

} // namespace playdeck
