#include "launcher/list_command.h"

#include "launcher/catalogue.h"
#include "launcher/game_locator.h"

#include <optional>
#include <string>

namespace playdeck {

namespace {
// A TAB or line break inside a stored name would split the line's columns or
// rows; it is shown as a space.
void AppendCell(std::string& text, const std::string& cell)
{
    for (char c : cell)
        text.push_back(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
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
    // One write for the whole list: a stream put a byte costs more than the
    // scan on thousands of rows.
    std::string text;
    for (const CatalogueRow& row : ScanMode(*mode, GetGameFolder())) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i)
                text.push_back('\t');
            AppendCell(text, row[i]);
        }
        text.push_back('\n');
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return out ? 0 : 1;
}

} // namespace playdeck
