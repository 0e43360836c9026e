// The tables' state without the window, over a small game of weapons and
// units: filter, sort, status, compare, CSV and clipboard text, Save as CSV
// through the scripted host, and Change field on units.
#include <gtest/gtest.h>

#include "edit/session.h"
#include "platform/path_text.h"
#include "presentation/main_window_state.h"
#include "presentation/table_state.h"
#include "test_support.h"
#include "unit/unit_edit.h"
#include "unit/unit_set.h"

namespace qm {
namespace {

// Three weapons and four units; FLASH carries GUN (10 damage per second),
// BIGGY carries GUN and LASER (10 + 40).
struct Game {
  test::TempDir dir;
  test::ScriptedHost host;
  MainWindowState window{prepare(dir), host};

  static const std::filesystem::path& prepare(const test::TempDir& dir) {
    test::writeGame(dir,
                    {{"cannons.tdf",
                      "[GUN]\r\n{\r\nid=1;\r\nreloadtime=2;\r\nrange=700;\r\n[DAMAGE]\r\n{\r\ndefault=20;\r\n}\r\n}\r\n"
                      "[LASER]\r\n{\r\nid=2;\r\nreloadtime=0.5;\r\nrange=300;\r\n[DAMAGE]\r\n{\r\ndefault=20;\r\n}"
                      "\r\n}\r\n[ODD]\r\n{\r\nid=3;\r\nrange=far;\r\n}\r\n"}});
    const auto unit = [&](const char* name, const std::string& lines) {
      dir.write(std::string("units/") + name + ".fbi",
                "[UNITINFO]\r\n{\r\n\tUnitName=" + std::string(name) + ";\r\n" + lines + "}\r\n");
    };
    unit("FLASH", "\tSide=ARM;\r\n\tMaxDamage=1500;\r\n\tBuildCostMetal=100;\r\n\tWeapon1=GUN;\r\n");
    unit("BIGGY",
         "\tSide=CORE;\r\n\tMaxDamage=5000;\r\n\tBuildCostMetal=1000;\r\n\tWeapon1=GUN;\r\n\tWeapon2=LASER;\r\n");
    unit("PEEWEE", "\tSide=ARM;\r\n\tMaxDamage=300;\r\n\tBuildCostMetal=25.5; // cheap\r\n");
    unit("WALL", "\tSide=CORE;\r\n\tMaxDamage=2500;\r\n\tName=Dragon's Teeth, \"tall\";\r\n");
    return dir.path();
  }
  Game() { window.rebuildList(); }

  TableState table(bool units) const { return TableState(units ? unitRows(window) : weaponRows(window)); }
};

std::size_t columnOf(const TableState& t, std::string_view name) {
  for (std::size_t c = 0; c < t.source().columnCount(); ++c)
    if (t.source().columnName(c) == name) return c;
  ADD_FAILURE() << "no column " << name;
  return 0;
}

// The shown rows' first cells, trimmed, joined by " ".
std::string names(const TableState& t) {
  std::string out;
  for (std::size_t row : t.shown()) {
    std::string cell = t.cell(row, 0);
    cell.erase(0, cell.find_first_not_of(' '));
    out += (out.empty() ? "" : " ") + cell;
  }
  return out;
}

TEST(TableStateTest, FiltersSortsAndCounts) {
  const Game game;
  const struct {
    bool units;
    const char* filter;
    const char* sortBy;  // "" for the source's order
    bool descending;
    const char* rows;
    const char* status;
  } cases[] = {
      {false, "", "", false, "1 - GUN 2 - LASER 3 - ODD", "3 of 3 weapons"},
      {false, "range>500", "", false, "1 - GUN", "1 of 3 weapons"},
      {false, "", "reloadtime", true, "3 - ODD 1 - GUN 2 - LASER", "3 of 3 weapons"},
      {false, "reloadtim>5", "", false, "",
       "0 of 3 weapons \u2014 no field \"reloadtim\" (did you mean \"reloadtime\"?): looked for as text"},
      // Units: sorted by name; a known key, any letter case; the computed figures.
      {true, "", "", false, "BIGGY FLASH PEEWEE WALL", "4 of 4 units"},
      {true, "MaxDamage>1000", "", false, "BIGGY FLASH WALL", "3 of 4 units"},
      {true, "maxdamage > 1000 arm", "", false, "FLASH", "1 of 4 units"},
      {true, "dps>=50", "", false, "BIGGY", "1 of 4 units"},
      {true, "hp.per.metal<10", "", false, "BIGGY", "1 of 4 units"},
      {true, "", "dps.per.metal", false, "BIGGY FLASH PEEWEE WALL", "4 of 4 units"},  // 0.05, 0.1, none, none
      {true, "", "BuildCostMetal", true, "WALL BIGGY FLASH PEEWEE", "4 of 4 units"},  // no number first
      {true, "", "Side", false, "FLASH PEEWEE BIGGY WALL", "4 of 4 units"},
      {true, "teeth", "", false, "WALL", "1 of 4 units"},
      {true, "MaxDamag>1", "", false, "", "0 of 4 units \u2014 no field \"MaxDamag\": looked for as text"},
  };
  for (const auto& c : cases) {
    TableState t = game.table(c.units);
    t.setFilter(c.filter);
    if (*c.sortBy) t.sortBy(static_cast<int>(columnOf(t, c.sortBy)), c.descending);
    EXPECT_EQ(names(t), c.rows) << c.filter << " " << c.sortBy;
    EXPECT_EQ(t.status(0), c.status) << c.filter;
  }
}

TEST(TableStateTest, CellsCompareAndText) {
  const Game game;
  TableState units = game.table(true);
  EXPECT_EQ(units.title(false), "Units table");
  EXPECT_EQ(units.caption(columnOf(units, "BuildCostMetal")), "Metal cost");
  units.setViewing(false);
  EXPECT_EQ(units.caption(columnOf(units, "BuildCostMetal")), "BuildCostMetal");
  const std::size_t dps = columnOf(units, "dps"), perMetal = columnOf(units, "dps.per.metal");
  const std::size_t hp = columnOf(units, "MaxDamage"), name = columnOf(units, "Name");
  EXPECT_EQ(units.cell(0, dps), "50");
  EXPECT_EQ(units.cell(0, perMetal), "0.05");

  const Compared c = units.compare(1, 2);  // FLASH, PEEWEE
  EXPECT_EQ(c.titleA + "/" + c.titleB, "FLASH/PEEWEE");
  std::string differing;
  for (const Compared::Row& r : c.rows)
    if (r.differs) differing += r.caption + "=" + r.b + " ";
  EXPECT_EQ(differing, "UnitName=PEEWEE BuildCostMetal=25.5 MaxDamage=300 Weapon1= ");
  EXPECT_EQ(c.differing, 4u);

  const struct {
    std::vector<std::size_t> rows, columns;
    bool captions;
    TableState::Format format;
    std::string text;
  } cases[] = {
      {{1, 3},
       {0, hp, name},
       true,
       TableState::Format::Csv,
       "unit,MaxDamage,Name\r\nFLASH,1500,\r\nWALL,2500,\"Dragon's Teeth, \"\"tall\"\"\"\r\n"},
      {{3}, {name, 0}, false, TableState::Format::Clipboard, "\"Dragon's Teeth, \"\"tall\"\"\"\tWALL\n"},
      {{0}, {dps, perMetal}, true, TableState::Format::Clipboard, "dps\tdps.per.metal\n50\t0.05\n"},
  };
  for (const auto& t : cases) EXPECT_EQ(units.text(t.rows, t.columns, t.captions, t.format), t.text);
}

// Save as CSV asks the host where, adds ".csv" to a bare name, writes the
// rows shown; a cancel writes nothing, a write that fails is told.
TEST(TableStateTest, SavesCsvThroughTheHost) {
  Game game;
  TableState units = game.table(true);
  units.setFilter("core");
  const std::size_t hp = columnOf(units, "MaxDamage");
  const auto bare = game.dir.path() / "out";
  game.host.paths = {platform::utf8Of(bare), std::nullopt, platform::utf8Of(game.dir.path() / "no" / "such" / "x.csv")};
  std::filesystem::path csv = bare;
  csv += ".csv";
  EXPECT_EQ(units.saveCsv(game.host, {0, hp}, game.dir.path() / "units.csv"), csv);
  EXPECT_EQ(test::readFile(csv), "Unit,Hit points\r\nBIGGY,5000\r\nWALL,2500\r\n");
  EXPECT_EQ(game.host.starts.front(), platform::utf8Of(game.dir.path() / "units.csv"));
  EXPECT_FALSE(units.saveCsv(game.host, {0}, {}));
  EXPECT_TRUE(game.host.messages.empty());
  EXPECT_FALSE(units.saveCsv(game.host, {0}, {}));
  ASSERT_EQ(game.host.messages.size(), 1u);
  EXPECT_EQ(game.host.messages[0].rfind("Could not write \"", 0), 0u) << game.host.messages[0];
}

// Change field on units: the preview's rows, then the changes applied
// through an edit session touch only the lines of those values.
TEST(TableStateTest, ChangesAFieldOfUnits) {
  const Game game;
  const TableState units = game.table(true);
  constexpr auto kSet = FieldOperation::SetTo, kTimes = FieldOperation::MultiplyBy, kAdd = FieldOperation::Add;
  const struct {
    const char* key;
    FieldOperation op;
    const char* operand;
    std::string rows, summary;  // the summary's start
  } cases[] = {
      {"BuildCostMetal", kTimes, "1.1", "BIGGY:1000>1100 FLASH:100>110 PEEWEE:25.5>28.05 WALL:no value",
       "3 units change, 1 skipped."},
      {"MaxDamage", kAdd, "-300", "BIGGY:5000>4700 FLASH:1500>1200 PEEWEE:300>0 WALL:2500>2200", "4 units change."},
      {"FootprintX", kSet, "2", "BIGGY:(none)>2 FLASH:(none)>2 PEEWEE:(none)>2 WALL:(none)>2", "4 units change."},
      {"FootprintX", kSet, "x",
       "BIGGY:(none)>x !number FLASH:(none)>x !number PEEWEE:(none)>x !number WALL:(none)>x !number",
       "4 units change."},
      {"Side", kSet, "ARM", "BIGGY:CORE>ARM FLASH:= PEEWEE:= WALL:CORE>ARM", "2 units change, 2 unchanged."},
      {"Side", kTimes, "2", "BIGGY: FLASH: PEEWEE: WALL:", "Side does not hold a number"},
  };
  for (const auto& c : cases) {
    const FieldChangePlan plan =
        units.source().plan(units.source().targets({0, 1, 2, 3}, c.key), c.key, c.op, c.operand);
    std::string rows;
    for (const FieldChangeRow& r : plan.rows) {
      rows += (rows.empty() ? "" : " ") + r.target.weapon + ":";
      if (r.outcome == FieldChangeRow::Outcome::Changes)
        rows += r.target.old.value_or("(none)") + ">" + r.shown;
      else
        rows += r.outcome == FieldChangeRow::Outcome::Unchanged ? "=" : r.note;
      if (!r.warning.empty()) rows += " !" + r.warning.substr(r.warning.rfind(' ') + 1);
    }
    EXPECT_EQ(rows, c.rows) << c.key << " " << c.operand;
    EXPECT_EQ(plan.summary("unit", "units").substr(0, c.summary.size()), c.summary) << c.key;
  }

  const std::string before = test::readFile(game.dir.path() / "units" / "PEEWEE.fbi");
  const FieldChangePlan plan =
      units.source().plan(units.source().targets({1, 2}, "BuildCostMetal"), "BuildCostMetal", kTimes, "2");
  EXPECT_EQ(plan.description, "Multiply BuildCostMetal by 2 (2 units)");
  edit::Session session(game.dir.path(), {});
  const edit::Applied applied = session.apply(plan.changes());
  ASSERT_TRUE(applied.step) << applied.refusal;
  ASSERT_FALSE(session.save(false).refusal);
  std::string after = before;
  after.replace(after.find("=25.5;"), 6, "=51;");
  EXPECT_EQ(test::readFile(game.dir.path() / "units" / "PEEWEE.fbi"), after);
}

// The units table reads the files as the unsaved edits have them, and a
// table made after an edit reads again only the files whose edits changed:
// a file changed on disk behind its back shows only in a table made afresh.
TEST(TableStateTest, UnitsTableReadsAgainOnlyWhatAnEditChanged) {
  Game game;
  edit::Session session(game.dir.path(), game.window.gameFiles().listFiles(false));
  const auto cellOf = [](const TableState& t, const char* unit, std::string_view column) {
    for (std::size_t row = 0; row < t.source().rowCount(); ++row)
      if (t.cell(row, 0).find(unit) != std::string::npos) return t.cell(row, columnOf(t, column));
    return std::string("(no row)");
  };
  const auto first = unitRows(game.window);
  game.dir.write("units/WALL.fbi", "[UNITINFO]\r\n{\r\n\tUnitName=WALL;\r\n\tMaxDamage=9;\r\n}\r\n");
  const edit::Applied applied =
      session.apply({{edit::Change::Kind::Set, "GUN", "reloadtime", "4"},
                     {edit::Change::Kind::Set, "PEEWEE", "MaxDamage", "301",
                      unitRules(looseFile(game.dir.path() / "units" / "PEEWEE.fbi"), "PEEWEE")}});
  ASSERT_TRUE(applied.step) << applied.refusal;
  game.window.takeEdits(&session);
  const TableState edited(unitRows(game.window, first.get()));
  EXPECT_EQ(cellOf(edited, "PEEWEE", "MaxDamage"), "301");
  EXPECT_EQ(cellOf(edited, "FLASH", "dps"), "5");
  EXPECT_EQ(cellOf(edited, "WALL", "MaxDamage"), "2500");  // kept from the first read
  EXPECT_EQ(cellOf(game.table(true), "WALL", "MaxDamage"), "9");

  // An edit of another file leaves PEEWEE's copy the object it was.
  const WeaponFilePtr peewee = looseFile(game.dir.path() / "units" / "PEEWEE.fbi");
  const WeaponFilePtr copy = game.window.editedFiles().copyOf(*peewee);
  const edit::Applied further = session.apply({{edit::Change::Kind::Set, "GUN", "range", "800"}});
  ASSERT_TRUE(further.step) << further.refusal;
  game.window.takeEdits(&session);
  EXPECT_TRUE(copy && game.window.editedFiles().copyOf(*peewee) == copy);
  session.undo(*further.step);

  // Undone, the edited units are read again from their files.
  session.undo(*applied.step);
  game.window.takeEdits(&session);
  const TableState undone(unitRows(game.window, &edited.source()));
  EXPECT_EQ(cellOf(undone, "PEEWEE", "MaxDamage"), "300");
  EXPECT_EQ(cellOf(undone, "FLASH", "dps"), "10");
}

}  // namespace
}  // namespace qm
