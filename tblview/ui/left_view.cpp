#include "tblview/ui/left_view.h"

#include "tblview/anchor_list.h"

#include <QHeaderView>

namespace gridlens {

CLeftView::CLeftView(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("leftView"));
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    // The selection stays visible while the page has the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CLeftView::onSelectionChanged);
}

void CLeftView::Fill(const AnchorList& anchors)
{
    m_filling = true;
    clear();
    m_treeItems.assign(size_t(anchors.count()), nullptr);
    QList<QTreeWidgetItem*> roots;
    QTreeWidgetItem* parent = nullptr; // nullptr: the root
    for (int32_t i = 0; i < anchors.count(); ++i) {
        auto* item = new QTreeWidgetItem(QStringList(QString::fromLocal8Bit(anchors.name(i))));
        if (anchors.kind(i) == Entry && parent) {
            parent->addChild(item);
        } else {
            roots.append(item);
            if (anchors.kind(i) == Section && i != 0)
                parent = item;
        }
        m_treeItems[size_t(i)] = item;
    }
    // One insertion of all roots keeps a fill of thousands of items quick.
    addTopLevelItems(roots);
    m_filling = false;
}

QTreeWidgetItem* CLeftView::itemOfAnchor(int index) const
{
    return index >= 0 && size_t(index) < m_treeItems.size() ? m_treeItems[size_t(index)] : nullptr;
}

void CLeftView::onSelectionChanged()
{
    if (m_filling)
        return;
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return;
    for (size_t i = m_treeItems.size(); i-- > 0;)
        if (m_treeItems[i] == selected.first()) {
            emit anchorChosen(int(i));
            return;
        }
}

} // namespace gridlens
