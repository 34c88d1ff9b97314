#pragma once

class QWidget;

namespace qm::test {

// The dialog fits a 640 x 480 screen and no text of a label, button, check
// box, radio button or group box is cut off by its control. Call it on a
// dialog laid out at scale 1 (offscreen, 96 DPI).
void ExpectDialogFits(QWidget& dialog);

} // namespace qm::test
