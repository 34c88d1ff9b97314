#include "tblview/ui/left_view.h"

#include "common/qt_text.h"
#include "tblview/anchor_list.h"

#include <QHeaderView>
#include <QPainter>

namespace gridlens {

CLeftView::CLeftView(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("leftView"));
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(true); // lines and buttons at the root too
    setIndentation(19);
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
    m_names.assign(size_t(anchors.count()), std::string());
    QList<QTreeWidgetItem*> roots;
    QTreeWidgetItem* parent = nullptr; // nullptr: the root
    for (int32_t i = 0; i < anchors.count(); ++i) {
        m_names[size_t(i)] = qm::DisplayUtf8(anchors.name(i));
        auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(m_names[size_t(i)])));
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

void CLeftView::followAnchor(int index)
{
    QTreeWidgetItem* item = itemOfAnchor(index);
    if (!item)
        return;
    const bool filling = m_filling;
    m_filling = true; // a selection made here is not the user's choice
    setCurrentItem(item);
    scrollToItem(item);
    m_filling = filling;
}

int CLeftView::selectedAnchor() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return -1;
    for (size_t i = m_treeItems.size(); i-- > 0;)
        if (m_treeItems[i] == selected.first())
            return int(i);
    return -1;
}

int CLeftView::findName(const std::string& needle, const FindOptions& options, int after,
                        bool backward) const
{
    const int count = int(m_names.size());
    for (int step = 1; step <= count; ++step) {
        const int i = ((backward ? after - step : after + step) % count + count) % count;
        if (FindText(m_names[size_t(i)], needle, 0, options) != std::string::npos)
            return i;
    }
    return -1;
}

void CLeftView::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    // The design's tree has lines, buttons and lines at the root, which the
    // current styles leave out; drawn here as the classic tree control does.
    painter->save();
    QPen dotted(palette().color(QPalette::Mid));
    dotted.setStyle(Qt::DotLine);
    const int step = indentation();
    const int midY = rect.top() + rect.height() / 2;
    // Column of each level, from the item's own level outwards.
    QModelIndex at = index;
    int column = rect.right() - step + 1;
    for (bool own = true; at.isValid(); at = at.parent(), column -= step, own = false) {
        const int x = column + step / 2;
        const bool hasNext = at.sibling(at.row() + 1, 0).isValid();
        painter->setPen(dotted);
        if (own) {
            const bool hasPrevious = at.row() > 0 || at.parent().isValid();
            painter->drawLine(x, hasPrevious ? rect.top() : midY, x,
                              hasNext ? rect.bottom() : midY);
            painter->drawLine(x, midY, column + step, midY);
            if (model()->hasChildren(at)) {
                const QRect box(x - 4, midY - 4, 8, 8);
                painter->setPen(palette().color(QPalette::Dark));
                painter->setBrush(palette().color(QPalette::Base));
                painter->drawRect(box);
                painter->setPen(palette().color(QPalette::Text));
                painter->drawLine(x - 2, midY, x + 2, midY);
                if (!isExpanded(at))
                    painter->drawLine(x, midY - 2, x, midY + 2);
            }
        } else if (hasNext) {
            painter->drawLine(x, rect.top(), x, rect.bottom());
        }
    }
    painter->restore();
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
