// Where the game's weapon files are.
#pragma once

#include <array>
#include <filesystem>
#include <string_view>
#include <vector>

namespace qm {

// The eight standard weapon files, in search order, under the game's
// "weapons" folder.
inline constexpr std::array<std::string_view, 8> kStandardFiles = {
    "cannons.tdf", "fires.tdf", "lasers.tdf", "meteors.tdf",
    "missiles.tdf", "rockets.tdf", "units.tdf", "weapons.tdf",
};

// The eight standard files under `gameDir`, in search order. Copies of the
// game made on Windows often read WEAPONS/CANNONS.TDF, so the folder and the
// files are found in any letter case; the name as written is preferred.
std::vector<std::filesystem::path> StandardFilePaths(const std::filesystem::path& gameDir);

}  // namespace qm
