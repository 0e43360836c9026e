// The Units window's state: the list's filter and sort, the picked unit's
// groups, weapons and figures, and its edits through an edit session.
#include <gtest/gtest.h>

#include "catalogue/game_files.h"
#include "edit/session.h"
#include "platform/path_text.h"
#include "presentation/unit_window_state.h"
#include "test_support.h"

namespace qm {
namespace {

// GUN: 100 a shot every 2 s (50 a second); BIG: bursts of 2 x 30 every 0.5 s (120).
const std::string kWeapons =
    "[GUN]\r\n{\r\nID=1;\r\nreloadtime=2;\r\n[DAMAGE]\r\n{\r\ndefault=100;\r\n}\r\n}\r\n"
    "[BIG]\r\n{\r\nID=2;\r\nreloadtime=0.5;\r\nburst=2;\r\n[DAMAGE]\r\n{\r\ndefault=30;\r\n}\r\n}\r\n";

struct Game {
  test::TempDir dir;
  Game() {
    test::writeGame(dir, {{"cannons.tdf", kWeapons}});
    unit("ARMFLASH",
         "UnitName=ARMFLASH;\r\nzzCustom=7;\r\nSide=ARM;\r\nName=Flash;\r\nDescription=Fast Assault Tank;\r\n"
         "MaxDamage=500;\r\nBuildCostMetal=100;\r\nBuildTime=1500;\r\nWeapon5=BIG;\r\nExplodeAs=BIG;\r\n"
         "Weapon1=GUN;\r\nYardMap=oo\r\n\too;\r\n[CUSTOMPARAMS]\r\n{\r\nfoo=bar;\r\n}\r\n");
    unit("ARMCOM", "UnitName=ARMCOM;\r\nSide=ARM;\r\nCommander=1;\r\nWorkerTime=300;\r\n");
    unit("CORAK",
         "UnitName=CORAK;\r\nSide=CORE;\r\nDescription=All-Terrain Kbot;\r\nMaxDamage=300;\r\n"
         "BuildCostMetal=40;\r\nBuildTime=900;\r\nWeapon1=BIG;\r\nWeapon2=NOPE;\r\n");
    unit("CORCOM", "UnitName=CORCOM;\r\nSide=CORE;\r\nTEDClass=COMMANDER;\r\nWorkerTime=200;\r\n");
    unit("CORCK", "UnitName=CORCK;\r\nSide=CORE;\r\nWorkerTime=100;\r\n");
  }
  void unit(const std::string& name, const std::string& body) const {
    dir.write("units/" + name + ".fbi", "[UNITINFO]\r\n{\r\n" + body + "}\r\n");
  }
  std::string file(const std::string& name) const { return platform::utf8Of(dir.path() / "units" / (name + ".fbi")); }
};

std::vector<std::string> listed(const UnitWindowState& s) {
  std::vector<std::string> out;
  for (std::size_t r = 0; r < s.rowCount(); ++r) out.emplace_back(s.cell(r, UnitListColumn::Unit));
  return out;
}

TEST(UnitWindowStateTest, FiltersAndSortsTheList) {
  const Game game;
  UnitWindowState s;
  s.load(GameFiles(game.dir.path()), {}, {});
  const struct {
    const char* filter;
    UnitListColumn column;
    bool descending;
    std::vector<std::string> units;
  } cases[] = {
      {"", UnitListColumn::Unit, false, {"ARMCOM", "ARMFLASH", "CORAK", "CORCK", "CORCOM"}},
      {"core", UnitListColumn::Unit, false, {"CORAK", "CORCK", "CORCOM"}},  // by side
      {"ASSAULT", UnitListColumn::Unit, false, {"ARMFLASH"}},               // by description
      {" flash ", UnitListColumn::Unit, false, {"ARMFLASH"}},               // by Name, blanks trimmed
      {"kbot", UnitListColumn::Unit, false, {"CORAK"}},
      {"", UnitListColumn::Side, true, {"CORCOM", "CORCK", "CORAK", "ARMFLASH", "ARMCOM"}},
      {"", UnitListColumn::Description, false, {"ARMCOM", "CORCK", "CORCOM", "CORAK", "ARMFLASH"}},
  };
  for (const auto& c : cases) {
    s.setFilter(c.filter);
    s.sortBy(c.column, c.descending);
    EXPECT_EQ(listed(s), c.units) << c.filter;
  }
}

TEST(UnitWindowStateTest, GroupsWeaponsAndFigures) {
  const Game game;
  UnitWindowState s;
  s.load(GameFiles(game.dir.path()), {}, {});
  ASSERT_TRUE(s.pickUnit("armflash"));
  std::vector<std::string> shown;
  for (const UnitValueGroup& g : s.groups()) {
    shown.push_back("# " + std::string(g.name));
    for (const UnitValueRow& r : g.rows) shown.push_back(std::string(r.caption) + " " + r.key + "=" + r.value);
  }
  const std::vector<std::string> groups = {"# Identity",
                                           "Unit name UnitName=ARMFLASH",
                                           "Name Name=Flash",
                                           "Description Description=Fast Assault Tank",
                                           "Side Side=ARM",
                                           "# Cost and building",
                                           "Metal cost BuildCostMetal=100",
                                           "Build time BuildTime=1500",
                                           "Yard map YardMap=oo\r\n\too",
                                           "# Health and senses",
                                           "Hit points MaxDamage=500",
                                           "# Weapons",
                                           "Weapon 1 Weapon1=GUN",
                                           "Weapon5 Weapon5=BIG",
                                           "Explodes as ExplodeAs=BIG",
                                           "# Other keys",
                                           "zzCustom zzCustom=7",
                                           "CUSTOMPARAMS.foo CUSTOMPARAMS.foo=bar"};
  EXPECT_EQ(shown, groups);
  const std::vector<UnitValueGroup> all = s.groups();
  const UnitValueGroup& other = all.back();
  EXPECT_NE(other.rows[0].description, other.rows[1].description);  // unknown key, key of a block inside
  EXPECT_FALSE(all[0].rows[0].description.empty());

  const auto links = [&] {
    std::vector<std::string> out;
    for (const UnitWeaponLink& l : s.weapons()) out.push_back(l.slot + " " + l.weapon + " " + l.dps);
    return out;
  };
  EXPECT_EQ(links(), (std::vector<std::string>{"Weapon1 GUN 50", "ExplodeAs BIG not counted"}));
  EXPECT_EQ(s.weapons()[0].file, platform::utf8Of(game.dir.path() / "weapons" / "cannons.tdf"));

  const auto figures = [&] {
    std::vector<std::string> out;
    for (const UnitFigure& f : s.figures()) out.push_back(f.text);
    return out;
  };
  EXPECT_EQ(figures(), (std::vector<std::string>{"50", "5", "0.5", "5 with ARMCOM"}));
  ASSERT_TRUE(s.pickUnit("CORAK"));
  EXPECT_EQ(links(), (std::vector<std::string>{"Weapon1 BIG 120", "Weapon2 NOPE no weapon file holds it"}));
  // The side's commander by TEDClass; then a builder chosen.
  EXPECT_EQ(figures(), (std::vector<std::string>{"120", "7.5", "3", "4.5 with CORCOM"}));
  EXPECT_EQ(s.builders(), (std::vector<std::string>{"ARMCOM", "CORCK", "CORCOM"}));
  s.setBuilder("CORCK");
  EXPECT_EQ(figures().back(), "9 with CORCK");
  ASSERT_TRUE(s.pickUnit("CORCK"));
  EXPECT_EQ(figures(), (std::vector<std::string>{"none: no weapon slot has one", "needs MaxDamage and BuildCostMetal",
                                                 "needs damage per second and BuildCostMetal", "needs BuildTime"}));
}

TEST(UnitWindowStateTest, PicksTheUnitAndKeyOfAFileLine) {
  const Game game;
  UnitWindowState s;
  s.load(GameFiles(game.dir.path()), {}, {});
  s.setFilter("core");
  const struct {
    int line;
    const char* key;
  } cases[] = {{3, "UnitName"}, {7, "Description"}, {14, "YardMap"}, {15, "YardMap"}, {18, "CUSTOMPARAMS.foo"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(s.pickAt(game.file("ARMFLASH"), c.line));
    EXPECT_EQ(s.keyAt(), c.key) << c.line;
  }
  EXPECT_EQ(s.filter(), "");  // the filter hid it
  EXPECT_EQ(s.pickedRow(), 1u);
  EXPECT_FALSE(s.pickAt(game.file("NONE"), 3));
}

TEST(UnitWindowStateTest, EditsGoThroughTheSession) {
  const Game game;
  const GameFiles files(game.dir.path());
  edit::Session session(game.dir.path(), files.listFiles(false));
  EditedFiles edited;
  UnitWindowState s;
  s.load(files, {}, edited);
  ASSERT_TRUE(s.pickUnit("ARMFLASH"));
  EXPECT_TRUE(s.valueChange("BuildCostMetal", "100").empty());  // the value it has
  EXPECT_TRUE(s.valueChange("NoSuchKey", "1").empty());
  const UnitValueRow yard = s.groups()[1].rows[2];
  EXPECT_EQ(s.editText(yard), "oo\n\too");
  // A value over several lines keeps its CR LF; a new name sorts the list.
  std::vector<edit::Change> changes = s.valueChange("YardMap", "oc\n\tco");
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].value, "oc\r\n\tco");
  const auto rename = s.valueChange("UnitName", "AAFLASH");
  changes.insert(changes.end(), rename.begin(), rename.end());
  const edit::Applied applied = session.apply(changes);
  ASSERT_TRUE(applied.step) << applied.refusal;
  edited.take(&session);
  s.takeEdits(edited);
  EXPECT_EQ(listed(s).front(), "AAFLASH");
  EXPECT_EQ(s.picked()->name, "AAFLASH");
  const std::vector<UnitValueGroup> groups = s.groups();
  EXPECT_TRUE(groups[0].rows[0].edited);
  EXPECT_FALSE(groups[0].rows[1].edited);
  EXPECT_EQ(groups[1].rows[2].value, "oc\r\n\tco");
  EXPECT_TRUE(groups[1].rows[2].edited);

  // An unsaved weapon edit changes the damage per second; undone, it is back.
  const edit::Applied faster = session.apply({{edit::Change::Kind::Set, "GUN", "reloadtime", "4"}});
  ASSERT_TRUE(faster.step) << faster.refusal;
  edited.take(&session);
  s.takeEdits(edited);
  EXPECT_EQ(s.weapons()[0].dps, "25");
  session.undo(*faster.step);
  session.undo(*applied.step);
  edited.take(&session);
  s.takeEdits(edited);
  EXPECT_EQ(s.weapons()[0].dps, "50");
  EXPECT_EQ(listed(s).front(), "ARMCOM");
  EXPECT_FALSE(s.groups()[0].rows[0].edited);
}

}  // namespace
}  // namespace qm
