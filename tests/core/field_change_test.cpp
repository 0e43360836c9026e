// One field of many weapons changed at once: the values read from the
// weapons table, the new texts, the weapons passed over, and the refusals.
#include <gtest/gtest.h>

#include "catalogue/scan.h"
#include "presentation/field_change.h"

namespace qm {
namespace {

// Each row of the plan as "WEAPON:OLD>NEW", "WEAPON:=" when unchanged,
// "WEAPON:note" when skipped; a warning adds " !" and its last word.
std::string planText(const FieldChangePlan& plan) {
  std::string out;
  for (const FieldChangeRow& r : plan.rows) {
    out += (out.empty() ? "" : " | ") + r.target.weapon + ":";
    if (r.outcome == FieldChangeRow::Outcome::Changes)
      out += r.target.old.value_or("(none)") + ">" + r.value;
    else if (r.outcome == FieldChangeRow::Outcome::Unchanged)
      out += "=";
    else
      out += r.note;
    if (!r.warning.empty()) out += " !" + r.warning.substr(r.warning.rfind(' ') + 1);
  }
  return out;
}

TEST(FieldChangeTest, PlansEachWeaponsValue) {
  const WeaponFilePtr file = memoryFile(
      "/game/weapons/w.tdf",
      "[GUN]\r\n{\r\nid=1;\r\nreloadtime=1.5;\r\nburst=3;\r\nname=Gun;\r\n[DAMAGE]\r\n{\r\ndefault=50;\r\n}\r\n}\r\n"
      "[BIG]\r\n{\r\nid=2;\r\nreloadtime= 10.0 ;\r\n[DAMAGE]\r\n{\r\ndefault=12.5;\r\n}\r\n}\r\n"
      "[BARE]\r\n{\r\nid=3;\r\n}\r\n[ODD]\r\n{\r\nid=4;\r\nreloadtime=soon;\r\n}\r\n");
  WeaponList list;
  list.add(scanFiles({file}).entries);
  const WeaponTable table(list.entries(), {file});
  constexpr auto kSet = FieldOperation::SetTo, kTimes = FieldOperation::MultiplyBy, kAdd = FieldOperation::Add;
  struct Row {
    const char* key;
    FieldOperation op;
    const char* operand;
    std::string rows, refusal;
  } rows[] = {
      // The old text's blanks stay; no binary noise; weapons without a number pass.
      {"reloadtime", kTimes, "0.9", "GUN:1.5>1.35 | BIG: 10.0 > 9  | BARE:no value | ODD:not a number", ""},
      {"reloadtime", kAdd, " -2", "GUN:1.5>-0.5 !negative | BIG: 10.0 > 8  | BARE:no value | ODD:not a number", ""},
      {"ReloadTime", kTimes, "1.0", "GUN:= | BIG:= | BARE:no value | ODD:not a number", ""},
      // A count stays whole; damage amounts keep their fractions.
      {"burst", kTimes, "0.5", "GUN:3>2 | BIG:no value | BARE:no value | ODD:no value", ""},
      {"damage.default", kTimes, "1.1", "GUN:50>55 | BIG:12.5>13.75 | BARE:no value | ODD:no value", ""},
      // Set takes the text as typed, adds the key, and is checked as one edit.
      {"reloadtime", kSet, "2", "GUN:1.5>2 | BIG: 10.0 >2 | BARE:(none)>2 | ODD:soon>2", ""},
      {"id", kSet, "300", "GUN:1>300 !255 | BIG:2>300 !255 | BARE:3>300 !255 | ODD:4>300 !255", ""},
      {"name", kSet, "Gun", "GUN:= | BIG:(none)>Gun | BARE:(none)>Gun | ODD:(none)>Gun", ""},
      // Refusals.
      {"name", kTimes, "2", "GUN: | BIG: | BARE: | ODD:", "name does not hold a number"},
      {"reloadtime", kAdd, "x", "GUN: | BIG: | BARE: | ODD:", "'x' is not a number"},
      {"reloadtime", kSet, "1;", "GUN: | BIG: | BARE: | ODD:", "the value of reloadtime may not hold ';'"},
      {"reloadtime", kSet, " ", "GUN: | BIG: | BARE: | ODD:", "Type a value"},
  };
  for (const Row& r : rows) {
    const std::vector<FieldTarget> targets = fieldTargets(table, {0, 1, 2, 3, 0}, r.key, "/game");
    const FieldChangePlan plan = planFieldChange(targets, r.key, r.op, r.operand);
    EXPECT_EQ(planText(plan), r.rows) << r.key << " " << r.operand;
    EXPECT_EQ(plan.refusal.substr(0, r.refusal.size()), r.refusal) << r.key << " " << r.operand;
  }
}

TEST(FieldChangeTest, NumbersAsAModderWritesThem) {
  const struct {
    double x;
    bool whole;
    const char* text;
  } rows[] = {{1e20, false, "100000000000000000000"},
              {1e-7, false, "0.0000001"},
              {-0.0, false, "0"},
              {-2.5, true, "-3"},
              {1.0 / 3, false, "0.333333333333333"}};
  for (const auto& r : rows) EXPECT_EQ(numberText(r.x, r.whole), r.text) << r.x;
}

}  // namespace
}  // namespace qm
