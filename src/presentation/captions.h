// The two caption sets of the field rows: friendly names for Viewing Mode,
// the TDF keys for Actual Mode.
#pragma once

#include <array>
#include <string_view>

namespace qm {

struct CaptionRow {
  int field;
  std::string_view viewing;
  std::string_view actual;
};

inline constexpr int kCaptionCount = 64;

// One row per switched caption label, in field-number order (fields 2 and 56
// have none).
extern const std::array<CaptionRow, kCaptionCount> kCaptionSets;

// The caption texts for Viewing Mode (true) or Actual Mode, in the order of
// kCaptionSets.
std::array<std::string_view, kCaptionCount> CaptionTexts(bool viewing);

}  // namespace qm
