#pragma once

#include "launcher/sibling_tools.h"

namespace playdeck {

class CPLAYDECK32View;

// View (PACKPEEK32) and Edit (PACKFORGE32) of the main window: starts the tool
// on the current folder's packfile named in column 0 of the single selected
// row, or says why it cannot ("Error" box owned by the list). True when a
// start was attempted.
bool OpenInSiblingTool(CPLAYDECK32View* view, SiblingTool tool);

} // namespace playdeck
