#include "launcher/game_log.h"

#include "platform/file_system.h"
#include "platform/special_folders.h"

#include <chrono>
#include <cstdio>

namespace playdeck {

namespace {

constexpr size_t kKeptRuns = 5;
constexpr size_t kMaxLogBytes = 256u * 1024u;
constexpr uint64_t kMaxReadBytes = 64u * 1024u * 1024u;
constexpr const char* kRunMark = "=== ";

// The log's last runs (each begins with a line starting kRunMark), within
// kMaxLogBytes; a single longer run keeps its end.
std::string Trimmed(const std::string& log, size_t keepRuns)
{
    std::vector<size_t> starts;
    for (size_t at = 0; at < log.size();) {
        if (log.compare(at, 4, kRunMark) == 0)
            starts.push_back(at);
        const size_t nl = log.find('\n', at);
        if (nl == std::string::npos)
            break;
        at = nl + 1;
    }
    size_t from = 0;
    if (starts.size() > keepRuns)
        from = starts[starts.size() - keepRuns];
    for (size_t i = 0; i < starts.size() && log.size() - from > kMaxLogBytes; ++i)
        if (starts[i] > from)
            from = starts[i];
    if (log.size() - from > kMaxLogBytes) {
        from = log.size() - kMaxLogBytes;
        const size_t nl = log.find('\n', from);
        from = nl == std::string::npos ? log.size() : nl + 1;
        return "[earlier output cut]\n" + log.substr(from);
    }
    return log.substr(from);
}

// The time now in UTC as "2026-12-08T20:09:47Z".
std::string UtcTimestamp()
{
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day ymd(day);
    const hh_mm_ss hms(now - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
                  static_cast<int>(hms.seconds().count()));
    return text;
}

std::string Existing(const std::string& path)
{
    const auto text = qm::fs::ReadWholeFile(path, kMaxReadBytes);
    return text ? *text : std::string();
}

bool Save(const std::string& path, const std::string& text)
{
    if (!qm::fs::MakeFolders(qm::fs::FolderOf(path), 0700))
        return false;
    return qm::fs::SaveFileAtomic(path, text, qm::fs::SaveOptions{0600, true, false});
}

} // namespace

std::string GameLogPath()
{
    return qm::XdgStateHome() + "/quorvel-manager/game.log";
}

std::string PrepareGameLog(const qm::ProcessStartRequest& start)
{
    const std::string path = GameLogPath();
    std::string line = kRunMark + UtcTimestamp() + " in " + start.workingFolder + ":";
    for (const auto& [name, value] : start.environment)
        line += " " + name + "=" + value;
    line += " " + start.program;
    for (const std::string& argument : start.arguments)
        line += " " + argument;
    line += "\n";
    std::string log = Trimmed(Existing(path), kKeptRuns - 1);
    if (!log.empty() && log.back() != '\n')
        log += '\n';
    return Save(path, log + line) ? path : std::string();
}

void NoteInGameLog(const std::string& line)
{
    const std::string path = GameLogPath();
    std::string log = Existing(path);
    if (!log.empty() && log.back() != '\n')
        log += '\n';
    Save(path, Trimmed(log + line + "\n", kKeptRuns));
}

} // namespace playdeck
