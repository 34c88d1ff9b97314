#include "tblview/ui/find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace gridlens {

FindBar::FindBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("findBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("findClose"));
    close->setText(QStringLiteral("\u00d7"));
    close->setAutoRaise(true);
    close->setToolTip(QStringLiteral("Close the find bar (Esc)"));
    auto* label = new QLabel(QStringLiteral("Fi&nd:"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("findText"));
    m_text->setClearButtonEnabled(true);
    m_text->setMinimumWidth(120);
    m_text->setMaximumWidth(200);
    label->setBuddy(m_text);
    // Small buttons: the bar must fit the window's 780 pixels with its status.
    auto* previous = new QToolButton(this);
    previous->setText(QStringLiteral("&Previous"));
    previous->setToolTip(QStringLiteral("Find the previous place (Shift+F3)"));
    previous->setObjectName(QStringLiteral("findPrevious"));
    auto* next = new QToolButton(this);
    next->setText(QStringLiteral("N&ext"));
    next->setToolTip(QStringLiteral("Find the next place (F3)"));
    next->setObjectName(QStringLiteral("findNext"));
    m_matchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    m_matchCase->setObjectName(QStringLiteral("findMatchCase"));
    m_wholeWord = new QCheckBox(QStringLiteral("&Whole word"), this);
    m_wholeWord->setObjectName(QStringLiteral("findWholeWord"));
    m_treeNames = new QCheckBox(QStringLiteral("&Tree names"), this);
    m_treeNames->setToolTip(QStringLiteral("Find in the names of the tree instead of the page"));
    m_treeNames->setObjectName(QStringLiteral("findTreeNames"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("findStatus"));
    // The bar must never widen the window: the status gives way first.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_status->setMinimumWidth(0);
    for (QWidget* w : std::initializer_list<QWidget*>{close, label, m_text, previous, next,
                                                      m_matchCase, m_wholeWord, m_treeNames})
        layout->addWidget(w);
    layout->addWidget(m_status, 1);

    m_text->installEventFilter(this);
    connect(close, &QToolButton::clicked, this, [this] {
        hide();
        emit closed();
    });
    connect(next, &QToolButton::clicked, this, [this] { emit findRequested(false); });
    connect(previous, &QToolButton::clicked, this, [this] { emit findRequested(true); });
    connect(m_text, &QLineEdit::textChanged, this, &FindBar::searchChanged);
    for (QCheckBox* box : {m_matchCase, m_wholeWord, m_treeNames})
        connect(box, &QCheckBox::toggled, this, &FindBar::searchChanged);
    hide();
}

void FindBar::open()
{
    show();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

std::string FindBar::needle() const
{
    return m_text->text().toStdString();
}

FindOptions FindBar::options() const
{
    return {m_matchCase->isChecked(), m_wholeWord->isChecked()};
}

bool FindBar::inTreeNames() const
{
    return m_treeNames->isChecked();
}

void FindBar::setStatus(const QString& text, bool notFound)
{
    m_status->setText(text);
    // Red text for "not found", as browsers colour the field.
    m_status->setStyleSheet(notFound ? QStringLiteral("color: #c00000") : QString());
}

bool FindBar::handleKey(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit findRequested(event->modifiers() & Qt::ShiftModifier);
        return true;
    }
    if (event->key() == Qt::Key_Escape) {
        hide();
        emit closed();
        return true;
    }
    return false;
}

void FindBar::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(event))
        QWidget::keyPressEvent(event);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    // The field would take Return and Escape for itself.
    if (watched == m_text && event->type() == QEvent::KeyPress)
        return handleKey(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

} // namespace gridlens
