// Value texts of both modes, the caption sets and the field descriptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "presentation/captions.h"
#include "presentation/descriptions.h"
#include "presentation/values.h"

namespace qm {
namespace {

std::string Shown(Slot s, const std::string& value, bool viewing = true) {
  CurrentWeapon w;
  w.Clear();
  w[s] = value;
  return ValueTexts(viewing, w)[SlotIndex(s)];
}

TEST(ValuesTest, EmptyWeaponInBothModes) {
  CurrentWeapon w;
  w.Clear();
  const auto viewing = ValueTexts(true, w);
  const auto actual = ValueTexts(false, w);
  std::map<std::string, int> counts;
  for (int s = 0; s < kSlotCount; ++s) {
    counts[viewing[s]]++;
    EXPECT_EQ(actual[s], "") << SlotName(static_cast<Slot>(s));
  }
  EXPECT_EQ(counts, (std::map<std::string, int>{{"None", 30}, {"0", 12}, {"NO", 21}, {"100%", 1}, {"0%", 1}}));
  EXPECT_EQ(viewing[SlotIndex(Slot::vRType)], "None");
  EXPECT_EQ(viewing[SlotIndex(Slot::vBRate)], "0");
}

TEST(ValuesTest, ViewingModeRules) {
  const struct {
    Slot slot;
    const char* value;
    const char* shown;
  } cases[] = {
      {Slot::vTurret, "1", "YES"},       {Slot::vTurret, "0", "NO"},      {Slot::vTurret, "01", "NO"},
      {Slot::vTurret, "2", "NO"},        {Slot::vTurret, "1 ", "NO"},     {Slot::vTurret, " 1", "NO"},
      {Slot::vNARng, "1", "YES"},        {Slot::vRType, "0", "Laser?"},   {Slot::vRType, "1", "Model?"},
      {Slot::vRType, "2", "Bitmap?"},    {Slot::vRType, "3", "Bitmap?"},  {Slot::vRType, "4", "Bitmap"},
      {Slot::vRType, "5", "Bitmap?"},    {Slot::vRType, "6", "Model?"},   {Slot::vRType, "7", "Lightning?"},
      {Slot::vRType, "8", "8"},          {Slot::vRType, "07", "07"},      {Slot::vExP, "0.5", "50%"},
      {Slot::vExP, "0.25", "25%"},       {Slot::vExP, "0.07", "7%"},      {Slot::vExP, "1", "100%"},
      {Slot::vExP, "0", "0%"},           {Slot::vExP, "2.5", "250%"},     {Slot::vExP, "1E+20", "1E+22%"},
      {Slot::vExP, "1e-9", "1E-07%"},    {Slot::vExP, " .5 ", "50%"},     {Slot::vExP, "abc", "abc%"},
      {Slot::vExP, "1e307", "1e307%"},   {Slot::vExP, "0.5;//x", "0.5;//x%"},
      {Slot::vFire, "50", "50%"},        {Slot::vFire, "12.5", "12.5%"},  {Slot::vFire, "lots", "lots%"},
      {Slot::vMod, "missile", "missile"}, {Slot::vMod, " ", " "},          {Slot::vRTime, "2.5", "2.5"},
  };
  for (const auto& c : cases) EXPECT_EQ(Shown(c.slot, c.value), c.shown) << SlotName(c.slot) << "=" << c.value;
  for (const auto& c : cases) EXPECT_EQ(Shown(c.slot, c.value, false), c.value) << "actual " << c.value;
}

TEST(ValuesTest, AtMostOneTrajectoryFlag) {
  const struct {
    const char *bal, *los, *drop, *shown;  // shown: ballistic, line of sight, dropped as Y/N
  } cases[] = {
      {"1", "", "", "YNN"}, {"1", "1", "", "NYN"}, {"1", "", "1", "NNY"}, {"", "1", "1", "NNY"},
      {"1", "1", "1", "NNY"}, {"", "", "", "NNN"}, {"0", "1", "0", "NYN"}, {"1", "01", "", "YNN"},
  };
  for (const auto& c : cases) {
    CurrentWeapon w;
    w.Clear();
    w[Slot::vBal] = c.bal, w[Slot::vLOS] = c.los, w[Slot::vDrop] = c.drop;
    const auto t = ValueTexts(true, w);
    std::string got;
    for (Slot s : {Slot::vBal, Slot::vLOS, Slot::vDrop}) got += t[SlotIndex(s)] == "YES" ? 'Y' : 'N';
    EXPECT_EQ(got, c.shown) << c.bal << "," << c.los << "," << c.drop;
  }
}

TEST(CaptionsTest, BothSets) {
  const auto viewing = CaptionTexts(true);
  const auto actual = CaptionTexts(false);
  std::set<int> fields;
  for (int i = 0; i < kCaptionCount; ++i) {
    const CaptionRow& row = kCaptionSets[i];
    fields.insert(row.field);
    EXPECT_EQ(viewing[i], row.viewing);
    EXPECT_EQ(viewing[i].back(), ':') << row.viewing;
    // The Actual caption is the field's key followed by " =".
    EXPECT_EQ(actual[i], std::string(FieldByNumber(row.field).key) + " =");
  }
  EXPECT_EQ(fields.size(), 64u);
  EXPECT_FALSE(fields.count(2) || fields.count(56));
  // Captions the layout spells differently, as the user sees them.
  const std::map<int, std::string_view> renamed = {{30, "Line of Sight:"}, {28, "Color2:"}, {64, "Range Explosion:"},
                                                   {52, "Water Explosion GAF:"}};
  for (const auto& [field, caption] : renamed) {
    const auto row = std::find_if(kCaptionSets.begin(), kCaptionSets.end(), [&](auto& r) { return r.field == field; });
    EXPECT_EQ(row->viewing, caption);
  }
}

TEST(DescriptionsTest, KeysTextsAndBounds) {
  for (int field = 1; field <= 66; ++field) {
    const auto d = FieldDescription(field);
    ASSERT_TRUE(d) << field;
    EXPECT_EQ(d->field, field);
    EXPECT_FALSE(d->text.empty());
    if (field != 2 && field != 56) {
      EXPECT_EQ(d->key, FieldByNumber(field).key);
    }
  }
  EXPECT_EQ(FieldDescription(2)->key, "[NAME]");
  EXPECT_EQ(FieldDescription(56)->key, "[DAMAGE]");
  EXPECT_EQ(FieldDescription(14)->text, "I think that this is only used by the unit viewer and is otherwise un-important");
  EXPECT_EQ(FieldDescription(3)->text,
            "The uniqe numeric identifier for the weapon, it can only from 0 to 255. No 2 weapons can have the same "
            "number.");
  EXPECT_NE(FieldDescription(59)->text.find("feild"), std::string_view::npos);
  for (int outside : {0, 67, -1, 32767}) EXPECT_FALSE(FieldDescription(outside)) << outside;
}

}  // namespace
}  // namespace qm
