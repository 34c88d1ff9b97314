#pragma once

// The launcher reads packfiles through the packfile core the two packfile
// tools share; these are its names for it.

#include "vpp/level.h"
#include "vpp/packfile.h"

namespace playdeck {

inline constexpr uint32_t kVppSignature = qm::vpp::kSignature;
inline constexpr uint32_t kVppVersion = qm::vpp::kVersion;
inline constexpr int64_t kVppBlock = qm::vpp::kBlock;
inline constexpr int64_t kVppDirEntrySize = qm::vpp::kRecordSize;
inline constexpr int64_t kVppNameSize = qm::vpp::kNameField;

// x rounded up to the next multiple of 2048 (x itself when it is one).
constexpr int64_t AlignUp2048(int64_t x)
{
    return qm::vpp::AlignUp(x);
}

using qm::vpp::FindRflInVpp;
using qm::vpp::kLevelRulesVersion;
using qm::vpp::LevelFileNameFor;
using qm::vpp::LevelFileNameMatches;
using qm::vpp::LevelFileNamesFor;
using qm::vpp::LevelInfo;
using qm::vpp::ReadLevelInfo;

} // namespace playdeck
