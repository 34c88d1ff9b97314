// The Wine registry, Steam VDF and Lutris YAML readers on arbitrary text: no
// crash, no hang, and every library a VDF yields is a string from a
// well-formed tree.
#include "launcher/game_stores.h"
#include "launcher/steam_library.h"
#include "launcher/wine_registry.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto reg = playdeck::WineRegistryFile::parse(text);
    (void)reg.value("Software\\Volition\\Red Faction", "InstallPath");
    const auto libraries = playdeck::VdfLibraryFolders(text);
    if (!libraries.empty() && !playdeck::ParseVdf(text))
        std::abort();
    // Decoding and folding never make a scalar longer than its source.
    for (const auto& [key, value] : playdeck::ReadYamlScalars(text))
        if (value.size() > text.size())
            std::abort();
    return 0;
}
