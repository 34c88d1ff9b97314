#pragma once

#include "tblview/text_search.h"

#include <QTreeWidget>
#include <string>
#include <vector>

namespace gridlens {

class AnchorList;

// The tree of sections and entries beside the page.
class CLeftView : public QTreeWidget {
    Q_OBJECT
public:
    explicit CLeftView(QWidget* parent = nullptr);

    // Rebuilds the tree: sections (and "(Top)") at the root, each entry under
    // the section before it; entries before the first section at the root.
    void Fill(const AnchorList& anchors);
    bool filling() const { return m_filling; }
    // The item made for anchor i, or nullptr.
    QTreeWidgetItem* itemOfAnchor(int index) const;
    // Selects anchor i's item without choosing it (the page stays where it is).
    void followAnchor(int index);
    // The next anchor after `after` (before it, backward) whose name holds
    // needle, round the end; -1 when none does.
    int findName(const std::string& needle, const FindOptions& options, int after,
                 bool backward) const;
    // The anchor of the selected item, or -1.
    int selectedAnchor() const;

protected:
    // Dotted lines joining items, and a boxed plus or minus on items with children.
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

signals:
    // The user chose the item of anchor index.
    void anchorChosen(int index);

private:
    void onSelectionChanged();

    // True from construction until the first fill ends, and during every fill:
    // the selection changes a fill makes are not the user's choice.
    bool m_filling = true;
    std::vector<QTreeWidgetItem*> m_treeItems;
    std::vector<std::string> m_names; // UTF-8, as shown
};

} // namespace gridlens
