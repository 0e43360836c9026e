#include "presentation/captions.h"

#include <string>

namespace qm {

namespace {

constexpr std::array<std::string_view, kSlotCount> kViewingCaptions = [] {
  std::array<std::string_view, kSlotCount> out;
  for (int s = 0; s < kSlotCount; ++s) out[s] = FieldOfSlot(static_cast<Slot>(s)).caption;
  return out;
}();

std::array<std::string_view, kSlotCount> ActualCaptions() {
  static const std::array<std::string, kSlotCount> texts = [] {
    std::array<std::string, kSlotCount> out;
    for (int s = 0; s < kSlotCount; ++s) {
      const FieldRow& field = FieldOfSlot(static_cast<Slot>(s));
      out[s] = field.isKeyLine() ? std::string(field.key) + " =" : std::string(kViewingCaptions[s]);
    }
    return out;
  }();
  std::array<std::string_view, kSlotCount> views;
  for (int s = 0; s < kSlotCount; ++s) views[s] = texts[s];
  return views;
}

}  // namespace

const std::array<std::string_view, kSlotCount>& CaptionTexts(bool viewing) {
  static const std::array<std::string_view, kSlotCount> actual = ActualCaptions();
  return viewing ? kViewingCaptions : actual;
}

}  // namespace qm
