// Writes the weapon on display as a new weapon TDF file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "weapon/current_weapon.h"

namespace qm {

// The order in which the writer writes the 62 key lines after the three it
// writes first (name, bracket name, ID); kGroupEnd closes each of the seven
// groups with an empty line.
inline constexpr Slot kGroupEnd = Slot::Count;
inline constexpr std::size_t kWrittenLines = 62 + 7;
extern const std::array<Slot, kWrittenLines> kWriterOrder;

// The whole file as bytes, every line ended by CR LF.
// `actualName` goes between the brackets, `name` into the name= line.
std::string formatExport(std::string_view actualName, std::string_view name, std::int32_t id,
                         const CurrentWeapon& weapon);

// Writes the file at `file`, replacing any file there. The text goes to a
// temporary file beside the target first and replaces the target only once it
// is complete, so a failure never leaves a half-written or emptied file.
// Returns a message for the user when the file could not be written.
std::optional<std::string> writeExport(const std::filesystem::path& file, std::string_view actualName,
                                       std::string_view name, std::int32_t id, const CurrentWeapon& weapon);

}  // namespace qm
