#include "common/ui/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>
#include <cmath>

namespace qm::ui {

namespace {

// The design font's letters: Tahoma 8 at 96 DPI averages 5.5 pixels over the
// 52 letters Windows measures (base unit 6 after its rounding).
constexpr qreal kDesignLetterWidth = 5.5;

int MulDivRound(int units, qreal pixelsPerFour)
{
    return static_cast<int>(std::lround(units * pixelsPerFour / 4.0));
}

qreal AverageLetterWidth(const QFont& font)
{
    static const QString kLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return QFontMetricsF(font).horizontalAdvance(kLetters) / kLetters.size();
}

QFont FitDialogFont(qreal scale)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    // 8 points at 96 DPI are 11 pixels; smaller until the letters fit, but
    // never below 7 pixels, where text stops being readable.
    const int largest = static_cast<int>(std::lround(11 * scale));
    const int smallest = static_cast<int>(std::lround(7 * scale));
    for (int px = largest; px >= smallest; --px) {
        font.setPixelSize(px);
        if (AverageLetterWidth(font) <= kDesignLetterWidth * scale &&
            QFontMetricsF(font).height() <= kDialogBaseUnitY * scale)
            return font;
    }
    font.setPixelSize(smallest);
    return font;
}

} // namespace

qreal DialogScale()
{
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    if (!screen)
        return 1.0;
    // Qt's own device-pixel scaling leaves 96 logical DPI; anything above that
    // is a larger desktop font setting the dialogs follow.
    const qreal dpi = screen->logicalDotsPerInchX();
    return dpi > 96.0 ? dpi / 96.0 : 1.0;
}

int DialogUnitsX(int units, qreal scale)
{
    return MulDivRound(units, kDialogBaseUnitX * scale);
}

int DialogUnitsY(int units, qreal scale)
{
    return MulDivRound(units, kDialogBaseUnitY * scale / 2.0);
}

QSize DialogUnitsToPixels(QSize units, qreal scale)
{
    return {DialogUnitsX(units.width(), scale), DialogUnitsY(units.height(), scale)};
}

QRect DialogUnitsToRect(QRect units, qreal scale)
{
    // The corners are mapped, as MapDialogRect does, so controls that touch
    // in units touch in pixels and never overlap by a rounding.
    const int left = DialogUnitsX(units.x(), scale);
    const int top = DialogUnitsY(units.y(), scale);
    return {left, top, DialogUnitsX(units.x() + units.width(), scale) - left,
            DialogUnitsY(units.y() + units.height(), scale) - top};
}

QFont DialogFont(qreal scale)
{
    // Measuring fonts is slow; every dialog asks.
    // Kept for the process's life: no font outlives the application at exit.
    static auto* fitted = new QHash<int, QFont>;
    const int key = static_cast<int>(std::lround(scale * 100));
    auto it = fitted->find(key);
    if (it == fitted->end())
        it = fitted->insert(key, FitDialogFont(scale));
    return *it;
}

} // namespace qm::ui
