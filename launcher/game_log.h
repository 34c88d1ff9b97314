#pragma once

#include "platform/process_start.h"

#include <string>

namespace playdeck {

// Where the game's runner writes: $XDG_STATE_HOME/quorvel-manager/game.log.
std::string GameLogPath();

// Keeps the log small (its last runs, at most a few hundred KiB) and adds a
// line naming this start; the runner's output then follows it. The log's
// path, or "" when it cannot be written (the game starts without it).
std::string PrepareGameLog(const qm::ProcessStartRequest& start);

// Adds a line to the log saying what went wrong before the runner could write.
void NoteInGameLog(const std::string& line);

} // namespace playdeck
