#include "presentation/descriptions.h"

#include "weapon/field_table.h"

namespace qm {

std::optional<Description> FieldDescription(int field) {
  if (field < 1 || field > kFieldCount) return std::nullopt;
  return Description{FieldByNumber(field).key, FieldByNumber(field).description};
}

}  // namespace qm
