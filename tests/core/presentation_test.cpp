// Value texts of both modes. The captions, the descriptions and the rule of
// each field are held by the golden file of the command line.
#include <gtest/gtest.h>

#include <string>

#include "presentation/values.h"
#include "text/text.h"

namespace qm {
namespace {

std::string shown(Slot s, const std::string& value, bool viewing = true) {
  CurrentWeapon w;
  w.clear();
  w[s] = value;
  return valueTexts(viewing, w)[slotIndex(s)];
}

TEST(ValuesTest, ViewingModeRules) {
  const struct {
    Slot slot;
    std::string value;
    std::string shown;
  } cases[] = {
      {Slot::Turret, "01", "NO"},
      {Slot::Turret, "1 ", "NO"},
      {Slot::RenderType, "0", "Laser?"},
      {Slot::RenderType, "1", "Model?"},
      {Slot::RenderType, "2", "Bitmap?"},
      {Slot::RenderType, "5", "Bitmap?"},
      {Slot::RenderType, "7", "Lightning?"},
      {Slot::RenderType, "8", "8"},
      {Slot::RenderType, "07", "07"},
      {Slot::EdgeEffectiveness, "0.07", "7%"},
      {Slot::EdgeEffectiveness, "1E+20", "1E+22%"},
      {Slot::EdgeEffectiveness, "1e-9", "1E-07%"},
      {Slot::EdgeEffectiveness, " .5 ", "50%"},
      {Slot::EdgeEffectiveness, "1e307", "1e307%"},
      {Slot::EdgeEffectiveness, "0.5;//x", "0.5;//x%"},
      // Out of a double's range: too small is 0, too large stands as written,
      // whatever the sign of the exponent.
      {Slot::EdgeEffectiveness, "1e-331", "0%"},
      {Slot::EdgeEffectiveness, "0." + std::string(330, '0') + "1", "0%"},
      {Slot::EdgeEffectiveness, "1" + std::string(400, '0') + "e-5", "1" + std::string(400, '0') + "e-5%"},
  };
  for (const auto& c : cases) EXPECT_EQ(shown(c.slot, c.value), c.shown) << fieldOfSlot(c.slot).key << "=" << c.value;
  for (const auto& c : cases) EXPECT_EQ(shown(c.slot, c.value, false), c.value) << "actual " << c.value;
}

// Ballistic, line of sight, dropped: of those that are exactly "1", only the
// last shows YES.
TEST(ValuesTest, AtMostOneTrajectoryFlag) {
  CurrentWeapon w;
  w.clear();
  w[Slot::Ballistic] = std::string("1"), w[Slot::LineOfSight] = std::string("01");
  EXPECT_EQ(valueTexts(true, w)[slotIndex(Slot::Ballistic)], "YES");
  w[Slot::LineOfSight] = w[Slot::Dropped] = std::string("1");
  const auto t = valueTexts(true, w);
  EXPECT_EQ(t[slotIndex(Slot::Ballistic)] + t[slotIndex(Slot::LineOfSight)] + t[slotIndex(Slot::Dropped)], "NONOYES");
}

// Values are shown decoded from Windows-1252 and typed names encoded back:
// every byte survives the round trip.
TEST(TextTest, CodecRoundTrip) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(byte)), byte) << b;
  }
  EXPECT_EQ(cp1252ToUtf8("\x80\x8a\x9a\xe9"), "\u20ac\u0160\u0161\u00e9");
}

}  // namespace
}  // namespace qm
