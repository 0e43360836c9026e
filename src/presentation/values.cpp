#include "presentation/values.h"

#include <cmath>

#include "text/numbers.h"

namespace qm {

namespace {

const char* const kRenderTypeNames[] = {
    "Laser?", "Model?", "Bitmap?", "Bitmap?", "Bitmap", "Bitmap?", "Model?", "Lightning?",
};

std::string RenderTypeText(const std::string& text) {
  if (text.empty()) return "None";
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '7') return kRenderTypeNames[text[0] - '0'];
  return text;
}

std::string Flag(const std::string& text) { return text == "1" ? "YES" : "NO"; }

std::string EdgePercentText(const std::string& text) {
  if (text.empty()) return "100%";
  const auto value = TextToDouble(text);
  const double percent = value ? *value * 100.0 : 0.0;
  // A text that is no number, or one too large to take a hundredfold, is shown
  // as it stands.
  if (!value || !std::isfinite(percent)) return text + "%";
  return NumberToText(percent) + "%";
}

}  // namespace

std::array<std::string, kSlotCount> ValueTexts(bool viewing, const CurrentWeapon& weapon) {
  std::array<std::string, kSlotCount> out;
  if (!viewing) {
    out = weapon.v;
    return out;
  }
  for (int i = 0; i < kSlotCount; ++i) {
    const std::string& text = weapon.v[i];
    switch (FieldOfSlot(static_cast<Slot>(i)).rule) {
      case Rule::TextNone: out[i] = text.empty() ? "None" : text; break;
      case Rule::TextZero: out[i] = text.empty() ? "0" : text; break;
      case Rule::Flag: out[i] = Flag(text); break;
      case Rule::Trajectory: break;  // below, in their own order
      case Rule::RenderType: out[i] = RenderTypeText(text); break;
      case Rule::EdgePercent: out[i] = EdgePercentText(text); break;
      case Rule::ChancePercent: out[i] = text.empty() ? "0%" : text + "%"; break;
    }
  }
  // Ballistic, line of sight, dropped: a "1" says YES for itself and NO for
  // the other two, so the last "1" in this order wins.
  constexpr Slot trajectory[] = {Slot::Ballistic, Slot::LineOfSight, Slot::Dropped};
  for (Slot s : trajectory) {
    if (weapon[s] == "1") {
      for (Slot o : trajectory) out[SlotIndex(o)] = "NO";
      out[SlotIndex(s)] = "YES";
    } else {
      out[SlotIndex(s)] = "NO";
    }
  }
  return out;
}

}  // namespace qm
