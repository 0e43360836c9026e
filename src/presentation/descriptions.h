// What each field means: the texts that a "?" button puts into the
// description panel.
#pragma once

#include <optional>
#include <string_view>

namespace qm {

struct Description {
  std::string_view key;  // the field's key, as the panel shows it
  std::string_view text;
};

// The description of field `field` (1 to 66); nothing for any other number.
std::optional<Description> fieldDescription(int field);

}  // namespace qm
