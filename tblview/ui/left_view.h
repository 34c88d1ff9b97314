#pragma once

#include <QTreeWidget>
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

signals:
    // The user chose the item of anchor index.
    void anchorChosen(int index);

private:
    void onSelectionChanged();

    // True from construction until the first fill ends, and during every fill:
    // the selection changes a fill makes are not the user's choice.
    bool m_filling = true;
    std::vector<QTreeWidgetItem*> m_treeItems;
};

} // namespace gridlens
