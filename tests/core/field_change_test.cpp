// One field of many weapons changed at once: the values read from the
// weapons table, the new texts, the weapons passed over, and the refusals.
#include <gtest/gtest.h>

#include "catalogue/scan.h"
#include "edit/session.h"
#include "presentation/field_change.h"
#include "presentation/weapon_columns.h"

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
      // The value is read without the blanks around it; no binary noise; weapons without a number pass.
      {"reloadtime", kTimes, "0.9", "GUN:1.5>1.35 | BIG: 10.0 >9 | BARE:no value | ODD:not a number", ""},
      {"reloadtime", kAdd, " -2", "GUN:1.5>-0.5 !negative | BIG: 10.0 >8 | BARE:no value | ODD:not a number", ""},
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

// Lines where the Weapons table (the loader's reading) and the game see a
// value differently: the plan changes the line the game reads, computing
// from its value, and says where the table shows another line; applied
// through an edit session, the table read from the edited bytes shows what
// the preview promised.
TEST(FieldChangeTest, ChangesTheLineTheGameReads) {
  constexpr auto kSet = FieldOperation::SetTo, kTimes = FieldOperation::MultiplyBy;
  const std::string shows = " (reloadtime: the game reads the line changed, ";
  const struct {
    const char* body;  // the block's lines between its braces
    const char* key;
    FieldOperation op;
    const char* operand;
    const char *cell, *edit;  // the table's cell and the edit's value before ("-": none)
    std::string plan;         // ">" the new cell and " (note)", or the note of a weapon passed over
  } rows[] = {
      // The loader keeps what follows the ";" (its number is the text before it), or drops the last character.
      {"reloadtime=3354; // tuned\n", "reloadtime", kTimes, "2", "3354; // tune", "3354", ">6708; // tune"},
      {"[DAMAGE]\n{\n\t\tdefault=50; // x\n}\n", "damage.default", kTimes, "2", "50; // ", "50", ">100; // "},
      {"reloadtime=10\n", "reloadtime", kTimes, "2", "1", "10", ">20"},
      {"reloadtime=10\n", "reloadtime", kSet, "10", "1", "10", "unchanged"},
      // Lines the loader does not read, which the game does: changed, and said so.
      {"\treloadtime = 10 ;\n", "reloadtime", kTimes, "2", "", "10",
       ">" + shows + "'reloadtime =20;'; Actual Mode and the list do not read that line)"},
      {"\t\treloadtime=10;\n", "reloadtime", kSet, "5", "", "10",
       ">" + shows + "'reloadtime=5;'; Actual Mode and the list do not read that line)"},
      // A new line is indented where the loader reads it.
      {"\t\tid=3;\n", "reloadtime", kSet, "5", "", "-", ">5 (a new line)"},
      // A key given twice: the last line is the one the game reads and the one changed.
      {"reloadtime=5;\nreloadtime = 10;\n", "reloadtime", kTimes, "2", "5", "10",
       ">5" + shows + "'reloadtime =20;'; Actual Mode and the list show '5' from another line, 'reloadtime=5;')"},
      // A line in a comment, and one of the [DAMAGE] block, are not the weapon's key to the game.
      {"reloadtime=5;\n/*\nreloadtime=8;\n*/\n", "reloadtime", kTimes, "2", "8", "5",
       ">8" + shows + "'reloadtime=10;'; Actual Mode and the list show '8' from another line, 'reloadtime=8;')"},
      {"reloadtime=5;\n[DAMAGE]\n{\n\treloadtime=7;\n}\n", "reloadtime", kSet, "6", "7", "5",
       ">7" + shows + "'reloadtime=6;'; Actual Mode and the list show '7' from another line, 'reloadtime=7;')"},
      // The last [DAMAGE] block is the one edited: it has no default.
      {"[DAMAGE]\n{\ndefault=50;\n}\n[DAMAGE]\n{\nARMCOM=5;\n}\n", "damage.default", kTimes, "2", "50", "-",
       "no value"},
      {"reloadtime=5; }\n", "reloadtime", kTimes, "2", "5; ", "5",
       "[W] has a brace that Quillmark's list reads otherwise than the game (further in than the third column, in a "
       "comment, or two on one line)"},
  };
  for (const auto& r : rows) {
    const std::string bytes = std::string("[W]\n{\n") + r.body + "}\n";
    const WeaponFilePtr file = memoryFile("/game/weapons/w.tdf", bytes);
    WeaponList list;
    list.add(scanFiles({file}).entries);
    const WeaponTable table(list.entries(), {file});
    const Column column = *columnNamed(r.key);
    const auto cell = [&](const WeaponTable& t) { return cellText(t, 0, column, false, t.damage(0)); };
    EXPECT_EQ(cell(table), r.cell) << r.body;
    EXPECT_EQ(edit::valueOf(bytes, "W", r.key).value_or("-"), r.edit) << r.body;

    const FieldChangePlan plan = planFieldChange(fieldTargets(table, {0}, r.key, "/game"), r.key, r.op, r.operand);
    const FieldChangeRow& row = plan.rows.at(0);
    EXPECT_EQ(row.target.old.value_or(""), r.cell) << r.body;  // the preview's old value is the table's
    const bool changes = row.outcome == FieldChangeRow::Outcome::Changes;
    std::string got = changes ? ">" + row.shown + (row.note.empty() ? "" : " (" + row.note + ")") : row.note;
    if (got.ends_with(": edit it by hand")) got.resize(got.size() - 17);
    EXPECT_EQ(got, r.plan) << r.body;

    edit::Session session("/game", {file});
    ASSERT_TRUE(session.apply(plan.changes()).step) << r.body;
    const WeaponFilePtr edited = memoryFile(file->name(), session.fileCount() ? session.bytes(0) : bytes);
    EXPECT_EQ(cell(WeaponTable(list.entries(), {edited})), changes ? row.shown : r.cell) << r.body;
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
