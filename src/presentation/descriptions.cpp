#include "presentation/descriptions.h"

#include "weapon/field_table.h"

namespace qm {

std::optional<Description> fieldDescription(int field) {
  if (field < 1 || field > kFieldCount) return std::nullopt;
  return Description{fieldByNumber(field).key, fieldByNumber(field).description};
}

}  // namespace qm
