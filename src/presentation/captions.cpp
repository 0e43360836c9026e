#include "presentation/captions.h"

#include <string>

namespace qm {

namespace {

constexpr std::array<std::string_view, kSlotCount> kViewingCaptions = [] {
  std::array<std::string_view, kSlotCount> out;
  for (int s = 0; s < kSlotCount; ++s) out[s] = fieldOfSlot(static_cast<Slot>(s)).caption;
  return out;
}();

std::array<std::string_view, kSlotCount> actualCaptions() {
  static const std::array<std::string, kSlotCount> kTexts = [] {
    std::array<std::string, kSlotCount> out;
    for (int s = 0; s < kSlotCount; ++s) {
      const FieldRow& field = fieldOfSlot(static_cast<Slot>(s));
      out[s] = field.isKeyLine() ? std::string(field.key) + " =" : std::string(kViewingCaptions[s]);
    }
    return out;
  }();
  std::array<std::string_view, kSlotCount> views;
  for (int s = 0; s < kSlotCount; ++s) views[s] = kTexts[s];
  return views;
}

}  // namespace

const std::array<std::string_view, kSlotCount>& captionTexts(bool viewing) {
  static const std::array<std::string_view, kSlotCount> kActual = actualCaptions();
  return viewing ? kViewingCaptions : kActual;
}

}  // namespace qm
