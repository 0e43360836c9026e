// The export dialog's checks of the three new values, and its messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qm {

inline constexpr std::string_view kMsgFillAllFields = "To export weapon all 3 feilds must be completed!";
inline constexpr std::string_view kMsgNeedWeaponId = "To export weapon a number must be entered for a weapon ID!";
inline constexpr std::string_view kMsgNeedFileName = "To export weapon a file name must be entered!";
inline constexpr std::string_view kMsgOverwrite = "File already exists! Do you wish to overwrite?";

// Checks made before the save dialog, in their order: every box filled (a
// text of blanks counts as filled), then a weapon ID whose leading-number
// value is not 0 and which reads as a whole as a 32-bit number. Returns the
// message of the first that fails.
std::optional<std::string_view> checkNewValues(std::string_view actualName, std::string_view name,
                                               std::string_view idText);

// The weapon ID as the file gets it: the whole text as a 32-bit number, a
// half going to the even neighbour. Empty when the text as a whole is no such
// number (the dialog then refuses it with the weapon-ID message).
std::optional<std::int32_t> weaponIdNumber(std::string_view idText);

}  // namespace qm
