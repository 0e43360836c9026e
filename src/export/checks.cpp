#include "export/checks.h"

#include "text/numbers.h"

namespace qm {

std::optional<std::string_view> checkNewValues(std::string_view actualName, std::string_view name,
                                               std::string_view idText) {
  if (actualName.empty() || name.empty() || idText.empty()) return kMsgFillAllFields;
  // The ID's leading number must not be 0, and the text as a whole must be a
  // number the file can hold ("7abc" leads with 7 but is no number).
  if (leadingNumber(idText) == 0 || !weaponIdNumber(idText)) return kMsgNeedWeaponId;
  return std::nullopt;
}

std::optional<std::int32_t> weaponIdNumber(std::string_view idText) { return textToInt32(idText); }

}  // namespace qm
