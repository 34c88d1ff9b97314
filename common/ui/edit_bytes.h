#pragma once

// Line edits filled from stored bytes: shown by the display rule, and given
// back byte for byte unless the user changed the text (then as UTF-8).

#include <string>

class QLineEdit;

namespace qm::ui {

void SetEditBytes(QLineEdit* edit, const std::string& bytes);
// The bytes SetEditBytes filled edit from when its text is unchanged, else
// the text as UTF-8 (an edit never filled gives its text as UTF-8).
std::string EditBytes(const QLineEdit* edit);

} // namespace qm::ui
