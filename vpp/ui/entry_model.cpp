#include "vpp/ui/entry_model.h"

#include "common/qt_text.h"
#include "vpp/ui/commands.h"

namespace packtools {

void EntryModel::setEntries(std::vector<qm::vpp::Entry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

int EntryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int EntryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant EntryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_entries.size())
        return {};
    const qm::vpp::Entry& e = m_entries[size_t(index.row())];
    if (role == IndexRole)
        return index.row();
    if (role == Qt::TextAlignmentRole)
        return index.column() == Size || index.column() == Offset
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant();
    if (role != Qt::DisplayRole && role != SortRole)
        return {};
    switch (index.column()) {
    case Name:
        return role == SortRole ? qm::DisplayText(e.name).toLower() : qm::DisplayText(e.name);
    case Size:
        return role == SortRole ? QVariant(qulonglong(e.size)) : GroupedNumber(e.size);
    case Type:
        return TypeOfName(e.name);
    case Offset:
        return role == SortRole ? QVariant(qlonglong(e.offset)) : GroupedNumber(uint64_t(e.offset));
    default:
        return {};
    }
}

QVariant EntryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const titles[] = {"Name", "Size", "Type", "Offset"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section])
                                                 : QVariant();
}

QString GroupedNumber(uint64_t n)
{
    QString digits = QString::number(n);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

} // namespace packtools
