#pragma once

#include "vpp/packfile.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

namespace packtools {

// The entries of a packfile as rows: name, size, type, offset. Sorting uses
// the numbers, not their text.
class EntryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Name, Size, Type, Offset, ColumnCount };
    static constexpr int SortRole = Qt::UserRole + 1;
    static constexpr int IndexRole = Qt::UserRole + 2;

    using QAbstractTableModel::QAbstractTableModel;
    void setEntries(std::vector<qm::vpp::Entry> entries);
    const std::vector<qm::vpp::Entry>& entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<qm::vpp::Entry> m_entries;
};

// "1,234,567" as the list shows sizes.
QString GroupedNumber(uint64_t n);

} // namespace packtools
