#include "launcher/list_command.h"

#include "launcher/catalogue.h"
#include "launcher/game_locator.h"

#include <optional>

namespace playdeck {

namespace {
// A TAB or line break inside a stored name would split the line's columns or
// rows; it is shown as a space.
void WriteCell(std::ostream& out, const std::string& cell)
{
    for (char c : cell)
        out.put(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
}
} // namespace

int RunListCommand(const std::string& modeName, std::ostream& out, std::ostream& err)
{
    std::optional<LevelMode> mode;
    if (modeName.empty()) {
        mode = ModeFromNumber(ReadLastMode());
    } else {
        mode = ModeFromName(modeName);
        if (!mode) {
            err << "Unknown list mode \"" << modeName << "\": use single, multi or mods.\n";
            return 2;
        }
    }
    if (!IsGameInstalled()) {
        err << kGameMissingMessage << "\n";
        return 1;
    }
    // A stored mode outside 0..2 lists nothing, as the window shows nothing.
    if (!mode)
        return 0;
    for (const CatalogueRow& row : ScanMode(*mode, GetGameFolder())) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i)
                out.put('\t');
            WriteCell(out, row[i]);
        }
        out.put('\n');
    }
    out.flush();
    return out ? 0 : 1;
}

} // namespace playdeck
