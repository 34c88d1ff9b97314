// The Wine registry, Steam VDF, Lutris YAML and Heroic JSON readers on arbitrary text: no
// crash, no hang, and every library a VDF yields is a string from a
// well-formed tree.
#include "launcher/game_stores.h"
#include "launcher/json_reader.h"
#include "launcher/steam_library.h"
#include "launcher/wine_registry.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

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
    // A JSON string never decodes longer than its spelling.
    if (const auto json = playdeck::ParseJson(text)) {
        std::vector<const playdeck::JsonValue*> open{&*json};
        while (!open.empty()) {
            const playdeck::JsonValue* v = open.back();
            open.pop_back();
            if (v->text.size() > text.size())
                std::abort();
            for (const auto& item : v->items)
                open.push_back(&item);
            for (const auto& name : v->names)
                if (name.size() > text.size())
                    std::abort();
        }
    }
    return 0;
}
