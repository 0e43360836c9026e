#include "presentation/descriptions.h"

#include <array>

#include "weapon/field_table.h"

namespace qm {

namespace {

constexpr std::array<std::string_view, kFieldCount> kDescriptionTexts = {
#define FIELD(no, key, slot, kind, group, caption, rule, place, layout, text) text,
#define LIST_FIELD(no, key, kind, group, layout, text) text,
#include "weapon/fields.def"
#undef FIELD
#undef LIST_FIELD
};

}  // namespace

std::optional<Description> FieldDescription(int field) {
  if (field < 1 || field > kFieldCount) return std::nullopt;
  return Description{FieldByNumber(field).key, kDescriptionTexts[field - 1]};
}

}  // namespace qm
