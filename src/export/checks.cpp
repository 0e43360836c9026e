#include "export/checks.h"

#include "weapon/numbers.h"

namespace qm {

std::optional<std::string_view> CheckNewValues(std::string_view N1, std::string_view N2, std::string_view wID) {
  if (N1.empty() || N2.empty() || wID.empty()) return kMsgFillAllFields;
  // The ID's leading number must not be 0, and the text as a whole must be a
  // number the file can hold ("7abc" leads with 7 but is no number).
  if (LeadingNumber(wID) == 0 || !WeaponIdNumber(wID)) return kMsgNeedWeaponId;
  return std::nullopt;
}

std::optional<std::int32_t> WeaponIdNumber(std::string_view wID) { return TextToInt32(wID); }

}  // namespace qm
