#include "launcher/game_stores.h"

#include "common/display_text.h"
#include "launcher/json_reader.h"
#include "platform/file_system.h"
#include "platform/special_folders.h"
#include "platform/string_util.h"

#include <sqlite3.h>

namespace playdeck {

namespace {

constexpr uint64_t kMaxConfigFile = 4u * 1024u * 1024u;
constexpr uint64_t kMaxInstalledJson = 16u * 1024u * 1024u;

size_t IndentOf(std::string_view line)
{
    size_t n = 0;
    while (n < line.size() && line[n] == ' ')
        ++n;
    return n;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The end of a quoted scalar starting at text[0] (the quote), or npos.
size_t QuoteEnd(std::string_view text)
{
    const char q = text[0];
    for (size_t i = 1; i < text.size(); ++i) {
        if (q == '"' && text[i] == '\\') {
            ++i;
        } else if (text[i] == q) {
            if (q == '\'' && i + 1 < text.size() && text[i + 1] == '\'')
                ++i;
            else
                return i;
        }
    }
    return std::string_view::npos;
}

// Decodes a quoted scalar's inside; raw line breaks fold to one blank.
std::string DecodeQuoted(std::string_view body, char quote)
{
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\n') {
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
            while (i + 1 < body.size() && body[i + 1] == ' ')
                ++i;
            out += ' ';
        } else if (quote == '\'' && c == '\'' && i + 1 < body.size() && body[i + 1] == '\'') {
            out += '\'';
            ++i;
        } else if (quote == '"' && c == '\\' && i + 1 < body.size()) {
            const char e = body[++i];
            int digits = e == 'x' ? 2 : e == 'u' ? 4 : e == 'U' ? 8 : 0;
            if (digits) {
                uint32_t cp = 0;
                int got = 0;
                while (got < digits && i + 1 < body.size() && qm::hexDigit(body[i + 1]) >= 0) {
                    cp = cp * 16 + uint32_t(qm::hexDigit(body[++i]));
                    ++got;
                }
                qm::AppendUtf8(out, cp);
            } else if (e == '\n') { // an escaped line break joins without a blank
                while (i + 1 < body.size() && body[i + 1] == ' ')
                    ++i;
            } else {
                switch (e) {
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case '0':
                    out += '\0';
                    break;
                default:
                    out += e;
                    break;
                }
            }
        } else {
            out += c;
        }
    }
    return out;
}

// The document when it is a JSON object, else nothing.
std::optional<JsonValue> ReadJsonObject(const std::string& path, uint64_t maxBytes)
{
    const auto bytes = qm::fs::ReadWholeFile(path, maxBytes);
    if (!bytes)
        return std::nullopt;
    auto doc = ParseJson(*bytes);
    if (!doc || doc->kind != JsonValue::Kind::Object)
        return std::nullopt;
    return doc;
}

// The member's string, "" when the member is missing or not a string.
std::string MemberString(const JsonValue* object, std::string_view name)
{
    const JsonValue* v = object ? object->member(name) : nullptr;
    return v ? v->string() : std::string();
}

// Lutris's data folders: today's, the one before 0.5.9, the Flatpak's.
std::vector<std::string> LutrisDataFolders()
{
    const std::string home = qm::HomeFolder();
    return {qm::XdgDataHome() + "/lutris", qm::XdgConfigHome() + "/lutris",
            home + "/.var/app/net.lutris.Lutris/data/lutris"};
}

std::vector<std::string> LutrisConfigFolders()
{
    std::vector<std::string> out;
    for (const std::string& folder : LutrisDataFolders())
        out.push_back(folder + "/games");
    out.push_back(qm::HomeFolder() + "/.var/app/net.lutris.Lutris/config/lutris/games");
    return out;
}

struct LutrisRow {
    std::string directory, runner, configpath, slug;
};

std::vector<LutrisRow> ReadPgaDb(const std::string& path)
{
    std::vector<LutrisRow> rows;
    if (!qm::fs::IsRegularFile(path))
        return rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_busy_timeout(db, 500);
    sqlite3_stmt* stmt = nullptr;
    const char* sql = "SELECT directory, runner, configpath, slug FROM games "
                      "WHERE installed = 1 ORDER BY id";
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        const auto text = [stmt](int column) {
            const auto* p = sqlite3_column_text(stmt, column);
            return p ? std::string(reinterpret_cast<const char*>(p),
                                   size_t(sqlite3_column_bytes(stmt, column)))
                     : std::string();
        };
        while (sqlite3_step(stmt) == SQLITE_ROW)
            rows.push_back({text(0), text(1), text(2), text(3)});
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

// Lutris's own Wine build by name (runners/wine/<version>/bin/wine).
std::string LutrisWine(const std::string& version)
{
    if (version.empty() || version.find('/') != std::string::npos)
        return version.empty() || version.front() != '/' ? std::string() : version;
    for (const std::string& folder : LutrisDataFolders()) {
        const std::string wine = folder + "/runners/wine/" + version + "/bin/wine";
        if (qm::fs::IsRegularFile(wine))
            return wine;
    }
    return {};
}

std::string ExpandHome(const std::string& path)
{
    if (path == "~" || path.starts_with("~/"))
        return qm::HomeFolder() + path.substr(1);
    return path;
}

} // namespace

std::map<std::string, std::string> ReadYamlScalars(std::string_view text)
{
    std::map<std::string, std::string> out;
    std::vector<std::pair<size_t, std::string>> path; // indent, key of open mappings
    std::string* plain = nullptr; // the plain scalar that continuation lines extend
    size_t plainIndent = 0;
    size_t skipDeeperThan = std::string_view::npos; // inside a list item
    std::vector<std::string_view> lines;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string_view line = lines[n];
        const size_t indent = IndentOf(line);
        const std::string_view rest = Trim(line.substr(indent));
        if (rest.empty() || rest.front() == '#' || line.starts_with("---") ||
            line.starts_with("..."))
            continue;
        if (skipDeeperThan != std::string_view::npos && indent > skipDeeperThan)
            continue;
        skipDeeperThan = std::string_view::npos;
        if (plain && indent > plainIndent) {
            *plain += ' ';
            *plain += rest;
            continue;
        }
        plain = nullptr;
        if (rest == "-" || rest.starts_with("- ")) {
            skipDeeperThan = indent;
            continue;
        }
        while (!path.empty() && path.back().first >= indent)
            path.pop_back();

        std::string key;
        std::string_view after;
        if (rest.front() == '"' || rest.front() == '\'') {
            const size_t close = QuoteEnd(rest);
            if (close == std::string_view::npos || close + 1 >= rest.size() ||
                rest[close + 1] != ':')
                continue;
            key = DecodeQuoted(rest.substr(1, close - 1), rest.front());
            after = rest.substr(close + 2);
        } else {
            size_t colon = rest.find(": ");
            if (colon == std::string_view::npos && rest.back() == ':')
                colon = rest.size() - 1;
            if (colon == std::string_view::npos)
                continue;
            key = std::string(Trim(rest.substr(0, colon)));
            after = rest.substr(colon + 1);
        }
        std::string full;
        for (const auto& [level, name] : path)
            full += name + ".";
        full += key;
        const std::string_view value = Trim(after);
        if (value.empty()) {
            path.emplace_back(indent, key);
            continue;
        }
        if (value.front() == '"' || value.front() == '\'') {
            // A long quoted scalar may go on over the next lines.
            std::string raw(value);
            while (QuoteEnd(raw) == std::string::npos && n + 1 < lines.size()) {
                raw += '\n';
                raw += Trim(lines[++n]);
            }
            const size_t close = QuoteEnd(raw);
            if (close == std::string::npos)
                continue;
            out[full] = DecodeQuoted(std::string_view(raw).substr(1, close - 1), raw.front());
            continue;
        }
        if (value.front() == '{' || value.front() == '[' || value.front() == '|' ||
            value.front() == '>' || value.front() == '&' || value.front() == '*' ||
            value.front() == '!')
            continue;
        std::string_view scalar = value;
        if (const size_t hash = scalar.find(" #"); hash != std::string_view::npos)
            scalar = Trim(scalar.substr(0, hash));
        std::string& slot = out[full];
        slot = scalar == "~" || scalar == "null" ? std::string() : std::string(scalar);
        plain = &slot;
        plainIndent = indent;
    }
    return out;
}

std::vector<StoreGame> LutrisGames()
{
    std::vector<StoreGame> games;
    for (const std::string& folder : LutrisDataFolders()) {
        for (const LutrisRow& row : ReadPgaDb(folder + "/pga.db")) {
            if (row.runner != "wine" || row.configpath.empty() ||
                row.configpath.find('/') != std::string::npos)
                continue;
            std::map<std::string, std::string> config;
            for (const std::string& configs : LutrisConfigFolders()) {
                const auto text =
                    qm::fs::ReadWholeFile(configs + "/" + row.configpath + ".yml", kMaxConfigFile);
                if (text) {
                    config = ReadYamlScalars(*text);
                    break;
                }
            }
            StoreGame game;
            game.label = row.slug.empty() ? row.configpath : row.slug;
            game.directory = ExpandHome(row.directory);
            game.executable = ExpandHome(config["game.exe"]);
            if (!game.executable.empty() && game.executable.front() != '/' &&
                !game.directory.empty())
                game.executable = game.directory + "/" + game.executable;
            game.winePrefix = ExpandHome(config["game.prefix"]);
            game.wineProgram = LutrisWine(config["wine.version"]);
            games.push_back(std::move(game));
        }
    }
    return games;
}

std::vector<StoreGame> HeroicGames()
{
    std::vector<StoreGame> games;
    const std::string home = qm::HomeFolder();
    for (const std::string& root : {qm::XdgConfigHome() + "/heroic",
                                    home + "/.var/app/com.heroicgameslauncher.hgl/config/heroic"}) {
        const auto installed =
            ReadJsonObject(root + "/gog_store/installed.json", kMaxInstalledJson);
        if (!installed)
            continue;
        const JsonValue* list = installed->member("installed");
        if (!list || list->kind != JsonValue::Kind::Array)
            continue;
        for (const JsonValue& game : list->items) {
            if (MemberString(&game, "platform") != "windows")
                continue;
            StoreGame found;
            found.label = MemberString(&game, "appName");
            found.directory = MemberString(&game, "install_path");
            if (found.directory.empty())
                continue;
            if (!found.label.empty() && found.label.find('/') == std::string::npos) {
                const auto config =
                    ReadJsonObject(root + "/GamesConfig/" + found.label + ".json", kMaxConfigFile);
                if (config) {
                    const JsonValue* settings = config->member(found.label);
                    found.winePrefix = MemberString(settings, "winePrefix");
                    const JsonValue* wine = settings ? settings->member("wineVersion") : nullptr;
                    found.wineProgram = MemberString(wine, "bin");
                    found.wineIsProton = MemberString(wine, "type") == "proton";
                }
            }
            games.push_back(std::move(found));
        }
    }
    return games;
}

} // namespace playdeck
