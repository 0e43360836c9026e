#include "presentation/values.h"

#include <cmath>

#include "text/numbers.h"

namespace qm {

namespace {

const char* const kRenderTypeNames[] = {
    "Laser?", "Model?", "Bitmap?", "Bitmap?", "Bitmap", "Bitmap?", "Model?", "Lightning?",
};

std::string renderTypeText(const std::string& text) {
  if (text.empty()) return "None";
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '7') return kRenderTypeNames[text[0] - '0'];
  return text;
}

std::string flag(const std::string& text) { return text == "1" ? "YES" : "NO"; }

std::string edgePercentText(const std::string& text) {
  if (text.empty()) return "100%";
  const auto value = textToDouble(text);
  const double percent = value ? *value * 100.0 : 0.0;
  // A text that is no number, or one too large to take a hundredfold, is shown
  // as it stands.
  if (!value || !std::isfinite(percent)) return text + "%";
  return numberToText(percent) + "%";
}

}  // namespace

std::string viewingText(Slot s, const std::array<std::string_view, kSlotCount>& values) {
  const std::string text(values[slotIndex(s)]);
  switch (fieldOfSlot(s).rule) {
    case Rule::TextNone:
      return text.empty() ? "None" : text;
    case Rule::TextZero:
      return text.empty() ? "0" : text;
    case Rule::Flag:
      return flag(text);
    case Rule::RenderType:
      return renderTypeText(text);
    case Rule::EdgePercent:
      return edgePercentText(text);
    case Rule::ChancePercent:
      return text.empty() ? "0%" : text + "%";
    case Rule::Trajectory:
      break;
  }
  // Ballistic, line of sight, dropped: a "1" says YES for itself and NO for
  // the other two, so the last "1" in this order wins.
  constexpr Slot trajectory[] = {Slot::Ballistic, Slot::LineOfSight, Slot::Dropped};
  bool yes = false;
  for (Slot t : trajectory)
    if (values[slotIndex(t)] == "1") yes = t == s;
  return yes ? "YES" : "NO";
}

std::array<std::string, kSlotCount> valueTexts(bool viewing, const CurrentWeapon& weapon) {
  std::array<std::string, kSlotCount> out;
  if (!viewing) {
    out = weapon.v;
    return out;
  }
  std::array<std::string_view, kSlotCount> values;
  for (int i = 0; i < kSlotCount; ++i) values[i] = weapon.v[i];
  for (int i = 0; i < kSlotCount; ++i) out[i] = viewingText(static_cast<Slot>(i), values);
  return out;
}

}  // namespace qm
