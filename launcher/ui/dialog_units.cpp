#include "launcher/ui/dialog_units.h"

#include <QFontMetrics>

namespace playdeck {

QFont DialogFont()
{
    QFont f(QStringLiteral("Sans Serif"), 8);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

QSize DialogUnitsToPixels(QSize units, const QFont& font)
{
    const QFontMetrics fm(font);
    // The average width Windows uses: the 52 letters, rounded.
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int avg = (letters / 26 + 1) / 2;
    return {units.width() * avg / 4, units.height() * fm.height() / 8};
}

QRect DialogUnitsToRect(QRect units, const QFont& font)
{
    const QSize topLeft = DialogUnitsToPixels({units.x(), units.y()}, font);
    const QSize size = DialogUnitsToPixels(units.size(), font);
    return {topLeft.width(), topLeft.height(), size.width(), size.height()};
}

} // namespace playdeck
