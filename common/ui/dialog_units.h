#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace qm::ui {

// The design's dialogs are laid out in dialog units of their font ("MS Sans
// Serif" or "Tahoma" 8), whose Windows base units are 6 x 13 pixels at 96 DPI.
inline constexpr int kDialogBaseUnitX = 6;
inline constexpr int kDialogBaseUnitY = 13;

// The screen's scale against 96 DPI (1 without a screen).
qreal DialogScale();

// Dialog units to pixels: x = units * 6 / 4, y = units * 13 / 8 at 96 DPI,
// times scale, rounded as Windows' MulDiv does.
int DialogUnitsX(int units, qreal scale = DialogScale());
int DialogUnitsY(int units, qreal scale = DialogScale());
QSize DialogUnitsToPixels(QSize units, qreal scale = DialogScale());
// A control's place in a dialog template, in pixels; its corners are mapped.
QRect DialogUnitsToRect(QRect units, qreal scale = DialogScale());

// The font dialog texts are drawn in: the desktop's sans-serif font at the
// largest size up to 8 points whose letters are no wider on average than the
// design font's and whose lines are no taller, so every text laid out for
// the design font fits its control.
QFont DialogFont(qreal scale = DialogScale());

} // namespace qm::ui
