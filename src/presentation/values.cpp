#include "presentation/values.h"

#include <cmath>

#include "weapon/numbers.h"

namespace qm {

const std::array<ValueRow, kSlotCount> kValueRows = {{
    { 1, Rule::TextNone},
    { 2, Rule::TextNone},
    { 3, Rule::TextNone},
    { 4, Rule::Flag},
    { 5, Rule::TextNone},
    { 6, Rule::TextNone},
    { 7, Rule::TextNone},
    { 8, Rule::TextNone},
    { 9, Rule::TextZero},
    {10, Rule::TextZero},
    {11, Rule::Flag},
    {12, Rule::TextNone},
    {13, Rule::TextZero},
    {14, Rule::TextNone},
    {15, Rule::Flag},
    {16, Rule::TextNone},
    {17, Rule::TextZero},
    {18, Rule::Flag},
    {19, Rule::RenderType},
    {20, Rule::TextNone},
    {21, Rule::Flag},
    {22, Rule::Flag},
    {23, Rule::TextNone},
    {24, Rule::Flag},
    {25, Rule::Flag},
    {26, Rule::Flag},
    {27, Rule::TextNone},
    {28, Rule::TextNone},
    {29, Rule::Trajectory},
    {30, Rule::Trajectory},
    {31, Rule::Trajectory},
    {32, Rule::TextZero},
    {33, Rule::TextZero},
    {34, Rule::TextZero},
    {35, Rule::TextZero},
    {36, Rule::Flag},
    {37, Rule::TextNone},
    {38, Rule::TextNone},
    {39, Rule::TextNone},
    {40, Rule::TextNone},
    {41, Rule::Flag},
    {42, Rule::Flag},
    {43, Rule::Flag},
    {44, Rule::Flag},
    {45, Rule::TextZero},
    {46, Rule::TextNone},
    {47, Rule::TextNone},
    {48, Rule::TextNone},
    {49, Rule::TextNone},
    {50, Rule::TextNone},
    {51, Rule::TextNone},
    {52, Rule::TextNone},
    {53, Rule::TextNone},
    {54, Rule::TextNone},
    {55, Rule::TextNone},
    {57, Rule::TextZero},
    {58, Rule::TextZero},
    {59, Rule::Flag},
    {60, Rule::Flag},
    {61, Rule::TextZero},
    {62, Rule::EdgePercent},
    {63, Rule::ChancePercent},
    {64, Rule::Flag},
    {65, Rule::TextNone},
    {66, Rule::Flag},
}};

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
    switch (kValueRows[i].rule) {
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
  constexpr Slot trajectory[] = {Slot::vBal, Slot::vLOS, Slot::vDrop};
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
