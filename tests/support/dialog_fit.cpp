#include "support/dialog_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <gtest/gtest.h>

namespace qm::test {

namespace {

std::string Describe(const QWidget* w, const QString& text)
{
    return (w->objectName() + QStringLiteral(" \"") + text + QStringLiteral("\"")).toStdString();
}

void ExpectLabelFits(const QLabel* l)
{
    if (!l->pixmap().isNull() || l->text().isEmpty())
        return;
    const QRect r = l->contentsRect();
    if (l->wordWrap()) {
        EXPECT_LE(l->heightForWidth(l->width()), l->height()) << Describe(l, l->text());
        return;
    }
    const QSize hint = l->sizeHint();
    EXPECT_LE(hint.width(), l->width()) << Describe(l, l->text());
    EXPECT_LE(l->fontMetrics().size(0, l->text()).height(), r.height()) << Describe(l, l->text());
}

void ExpectButtonFits(const QAbstractButton* b)
{
    if (b->text().isEmpty())
        return;
    const QFontMetrics fm = b->fontMetrics();
    if (qobject_cast<const QCheckBox*>(b) || qobject_cast<const QRadioButton*>(b)) {
        EXPECT_LE(b->sizeHint().width(), b->width()) << Describe(b, b->text());
        EXPECT_LE(fm.height(), b->height()) << Describe(b, b->text());
        return;
    }
    // A push button's text, wrapped where the button wraps it: the lines
    // must fit its height (one line in an ordinary 14-unit button).
    int room = b->width() - b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
    if (!b->icon().isNull())
        room -= b->iconSize().width() + 4;
    const QRect text = fm.boundingRect(QRect(0, 0, room, 10000),
                                       Qt::TextWordWrap | Qt::TextShowMnemonic, b->text());
    EXPECT_LE(text.width(), room) << Describe(b, b->text());
    EXPECT_LE(text.height(), b->height()) << Describe(b, b->text());
}

} // namespace

void ExpectDialogFits(QWidget& dialog)
{
    dialog.ensurePolished();
    EXPECT_LE(dialog.width(), 640) << dialog.objectName().toStdString();
    EXPECT_LE(dialog.height(), 480) << dialog.objectName().toStdString();
    for (const QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&dialog))
            continue;
        if (auto* l = qobject_cast<const QLabel*>(w)) {
            ExpectLabelFits(l);
        } else if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
            ExpectButtonFits(b);
        } else if (auto* g = qobject_cast<const QGroupBox*>(w)) {
            EXPECT_LE(g->fontMetrics().horizontalAdvance(g->title()) + 16, g->width())
                << Describe(g, g->title());
        }
    }
}

} // namespace qm::test
