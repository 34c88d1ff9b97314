#pragma once

#include "tblview/text_search.h"

#include <QWidget>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace gridlens {

// The find bar under the page (Ctrl+F): the text, match case, whole word and
// whether to look in the tree's names instead of the page. Enter finds the
// next place, Shift+Enter the previous one, Escape closes the bar.
class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    // Shows the bar with the text selected, ready to type.
    void open();
    std::string needle() const; // UTF-8
    FindOptions options() const;
    bool inTreeNames() const;
    void setStatus(const QString& text, bool notFound);

    QLineEdit* textEdit() const { return m_text; }
    QCheckBox* matchCaseBox() const { return m_matchCase; }
    QCheckBox* wholeWordBox() const { return m_wholeWord; }
    QCheckBox* treeNamesBox() const { return m_treeNames; }
    QLabel* statusLabel() const { return m_status; }

signals:
    void findRequested(bool backward);
    // The text or an option changed: what is highlighted changes with it.
    void searchChanged();
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleKey(QKeyEvent* event);
    QLineEdit* m_text = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QCheckBox* m_treeNames = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace gridlens
