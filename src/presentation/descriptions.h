// What each field means: the texts that a "?" button puts into the
// description panel.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace qm {

struct Description {
  int field;
  std::string_view key;   // for Label138
  std::string_view text;  // for Label139
};

extern const std::array<Description, 66> kDescriptions;

// The description of field IDNum (1 to 66); nothing for any other number.
std::optional<Description> DDesc(int IDNum);

}  // namespace qm
