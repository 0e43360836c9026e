// Units: their files read as the game reads them, their names by engine,
// their edits, and the units commands.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "../support/archive_writer.h"
#include "cli/cli.h"
#include "cli_run.h"
#include "edit/session.h"
#include "platform/path_text.h"
#include "presentation/unit_columns.h"
#include "test_support.h"
#include "text/text.h"
#include "unit/unit_edit.h"
#include "unit/unit_fields.h"
#include "unit/unit_set.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// The values as "KEY=VALUE@LINE", in order.
std::vector<std::string> readValues(const std::string& bytes) {
  const UnitFile unit(bytes);
  std::vector<std::string> out;
  for (const UnitEntry* e : unit.values())
    out.push_back(std::string(e->key) + "=" + std::string(e->value) + "@" + std::to_string(e->line));
  return out;
}

TEST(UnitFileTest, ReadsAsTheGameReads) {
  const struct {
    const char* what;
    std::string bytes;
    std::vector<std::string> values;
  } cases[] = {
      {"plain lines, no final line end",
       "[UNITINFO]\n{\n\tUnitName=ARMFLASH;\n\tSide=ARM;\n}",
       {"UnitName=ARMFLASH@3", "Side=ARM@4"}},
      {"CR LF, blanks around = and the value",
       "[UNITINFO]\r\n{\r\n\tunitname   =  roost ;\r\n}\r\n",
       {"unitname=roost@3"}},
      {"a YardMap over several lines, one starting empty",
       "[UNITINFO]\n{\nYardMap=\n.oo.\noooo\n;\nSide=CORE;\n\tyardmap2=wCw\n\t\twCw ;\n}\n",
       {"YardMap=.oo.\noooo@3", "Side=CORE@7", "yardmap2=wCw\n\t\twCw@8"}},
      {"comments skipped, a commented-out key not read",
       "[UNITINFO]\n{\n// Required Tags\n//\tSide=ARM;\n\tSide=CORE;\t// 150%\n/* Name=X; */\n}\n",
       {"Side=CORE@5"}},
      {"a // before the ; is part of the value",
       "[UNITINFO]\n{\n\tSonarDistance=1400//1276;//1180\n\tX=1;\n}\n",
       {"SonarDistance=1400//1276@3", "X=1@4"}},
      {"a bracket inside a value",
       "[UNITINFO]\n{\n\tdescription=[AP];\n\tside=CORE;\n}\n",
       {"description=[AP]@3", "side=CORE@4"}},
      {"lower-case header, indented, brace on its line", "          [unitinfo] {\n\tName=Road;\n}\n", {"Name=Road@2"}},
      {"the later line of a key counts, in its place",
       "[UNITINFO]\n{\n\tMaxDamage=1;\n\tSide=ARM;\n\tmaxdamage=2;\n}\n",
       {"Side=ARM@4", "maxdamage=2@5"}},
      {"sub-blocks as BLOCK.KEY, in file order",
       "[UNITINFO]\n{\n\tA=1;\n\t[customParams] {\n\t\tfoo=bar;\n\t}\n\tB=2;\n\t[SFXTypes]\n\t{\n\t\t"
       "explosiongenerator0=custom:x;\n\t}\n}\n",
       {"A=1@3", "customParams.foo=bar@5", "B=2@7", "SFXTypes.explosiongenerator0=custom:x@10"}},
      {"stray text after a ; is no key",
       "[UNITINFO]\n{\n\tItalianDescription=;Scorpione\n\tcanguard=1;\n}\n",
       {"ItalianDescription=@3", "canguard=1@4"}},
      {"a value without ; stops before a header",
       "[UNITINFO]\n{\n\tA=1\n\t[X]\n\t{\n\t\tB=2;\n\t}\n}\n",
       {"A=1@3", "X.B=2@6"}},
      {"only [UNITINFO] is read; the last one counts",
       "[OTHER]\n{\n\tA=1;\n}\n[UNITINFO]\n{\n\tB=2;\n}\n[UNITINFO]\n{\n\tC=3;\n}\n",
       {"C=3@11"}},
  };
  for (const auto& c : cases) EXPECT_EQ(readValues(c.bytes), c.values) << c.what;
  EXPECT_FALSE(UnitFile(std::string("[WEAPON]\n{\n\tA=1;\n}\n")).hasUnitInfo());
}

TEST(UnitFileTest, NamesAndWeaponSlotsByEngine) {
  const UnitFile unit(
      std::string("[UNITINFO]\n{\n\tUnitName=Road_Straight;\n\tWeapon1=GUN;\n\tweapon3=;\n\tWeapon4=BIG;"
                  "\n\tWeapon33=NO;\n\tExplodeAs=BOOM;\n\tSelfDestructAs=;\n\tWeapon2=LASER;\n}\n"));
  const std::string file = "game.gp3/units/Road_T.fbi";
  EXPECT_EQ(unitName(unit, file, Engine::Original), "Road_Straight");
  EXPECT_EQ(unitName(unit, file, Engine::Later), "Road_T");
  EXPECT_EQ(unitName(UnitFile(std::string("[UNITINFO]\n{\n}\n")), file, Engine::Original), "Road_T");
  const auto slots = [&](Engine e) {
    std::string out;
    for (const WeaponSlot& s : weaponSlots(unit, e))
      out += s.key + "=" + std::string(s.weapon) + (s.fires ? " " : "! ");
    return out;
  };
  EXPECT_EQ(slots(Engine::Original), "Weapon1=GUN Weapon2=LASER ExplodeAs=BOOM! ");
  EXPECT_EQ(slots(Engine::Later), "Weapon1=GUN Weapon2=LASER Weapon4=BIG ExplodeAs=BOOM! ");
  EXPECT_EQ(weaponSlotNumber("WEAPON32"), 32);
  for (const char* no : {"Weapon0", "Weapon05", "Weapon33", "Weapon", "Weapons", "Weapon1x"})
    EXPECT_FALSE(weaponSlotNumber(no)) << no;
}

TEST(UnitFieldsTest, EveryKeyOnceInItsGroup) {
  std::vector<std::string> seen;
  std::size_t group = 0;
  for (const UnitKey& k : unitKeys()) {
    EXPECT_EQ(unitKey(toLower(k.key)), &k);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), toLower(k.key)), 0) << k.key;
    seen.push_back(toLower(k.key));
    // The groups come one after another, in their order.
    while (group < unitGroups().size() && unitGroups()[group] != k.group) ++group;
    EXPECT_LT(group, unitGroups().size()) << k.key << " is out of its group's order";
    EXPECT_FALSE(k.caption.empty() || k.description.empty()) << k.key;
  }
  EXPECT_GE(seen.size(), 130u);
}

// Applies one change to a unit file's bytes: the bytes after, or the refusal.
std::string changed(std::string bytes, edit::Change change) {
  std::vector<edit::Splice> done;
  if (auto why = applyUnitChange(bytes, change, done)) return "refused: " + *why;
  return bytes;
}

edit::Change set(std::string key, std::string value) {
  return {edit::Change::Kind::Set, "U", std::move(key), std::move(value)};
}
edit::Change remove(std::string key) { return {edit::Change::Kind::Remove, "U", std::move(key), {}}; }

TEST(UnitEditTest, ChangesOnlyWhatItSays) {
  const std::string unit =
      "[UNITINFO]\r\n{\r\n\tSide=ARM;\t\t//was CORE\r\n\tYardMap=oo\r\n\t\too ;\r\n"
      "\t[CUSTOMPARAMS]\r\n\t{\r\n\t\tx = 1;\r\n\t}\r\n\tMaxDamage=5;\r\n\tmaxdamage=6;\r\n}";
  // Each change gives the unit with one piece of it replaced, or a refusal.
  const struct {
    const char* what;
    edit::Change change;
    std::string from, to;  // no `from`: `to` is the refusal
  } cases[] = {
      {"a value: the rest of the line stays", set("side", "CORE"), "Side=ARM;", "Side=CORE;"},
      {"a map over lines is replaced whole", set("YardMap", "cc"), "YardMap=oo\r\n\t\too ;", "YardMap=cc;"},
      {"the line the game reads, the last", set("MAXDAMAGE", "7"), "maxdamage=6;", "maxdamage=7;"},
      {"a key of a block inside", set("customparams.X", "2"), "x = 1;", "x =2;"},
      {"a new key after the last, shaped like it, even without a final line end", set("Name", "Flash"),
       "maxdamage=6;\r\n}", "maxdamage=6;\r\n\tName=Flash;\r\n}"},
      {"a new key of a block inside", set("CUSTOMPARAMS.y", "3"), "x = 1;\r\n", "x = 1;\r\n\t\ty=3;\r\n"},
      {"--remove takes every line of the key", remove("maxdamage"), "\r\n\tMaxDamage=5;\r\n\tmaxdamage=6;", ""},
      {"--remove of a map over lines", remove("yardmap"), "\r\n\tYardMap=oo\r\n\t\too ;", ""},
      {"--remove of a key it lacks", remove("Name"), "", "refused: it has no key Name"},
      {"a block it lacks", set("SFXTYPES.a", "1"), "", "refused: it has no block [SFXTYPES]"},
  };
  for (const auto& c : cases) {
    std::string after = c.to;
    if (!c.from.empty()) after = std::string(unit).replace(unit.find(c.from), c.from.size(), c.to);
    EXPECT_EQ(changed(unit, c.change), after) << c.what;
  }
  EXPECT_EQ(changed("[WEAPON]\n{\n}\n", set("a", "1")), "refused: the file has no [UNITINFO] block");
  EXPECT_TRUE(changed("[UNITINFO]\n{\n\tA=1;\n\t[X]\n\t{\n\tB=2;\n}\n", set("A", "2"))
                  .starts_with("refused: its blocks cannot be made out for sure (line 1: "));
  EXPECT_EQ(changed("[UNITINFO]\n{\n\tA=1; B=2;\n}\n", remove("A")),
            "refused: the line of A holds more than that key: edit it by hand");
}

class UnitsCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::writeGame(dir_, {{"cannons.tdf",
                            "[GUN]\n\t{\n\tid=12;\n\treloadtime=2;\n\tburst=3;\n\t[DAMAGE]\n\t\t{\n\t\tdefault=50;"
                            "\n\t\t}\n\t}\n[LASER]\n\t{\n\tid=13;\n\treloadtime=1;\n\t[DAMAGE]\n\t\t{\n\t\t"
                            "default=10;\n\t\t}\n\t}\n"}});
    dir_.write("units/ARMFLASH.FBI",
               "[UNITINFO]\n{\n\tUnitName=ARMFLASH;\n\tSide=ARM;\n\tName=Flash;\n\tBuildCostMetal=100;\n\t"
               "MaxDamage=500;\n\tWeapon1=GUN;\n\tWeapon2=laser;\n\tWeapon3=NOPE;\n\tExplodeAs=GUN;\n}\n");
    dir_.write("units/broken.fbi", "[WEAPON]\n{\n}\n");
    dir_.write("rev.gp3", test::writeArchive({{"units/corgator.fbi", kCorgator}}).bytes);
  }
  test::CliRun cli(std::vector<std::string> args) const { return test::cli(std::move(args), dir_.path()); }
  static constexpr const char* kCorgator =
      "[UNITINFO]\r\n{\r\n\tUnitName=CORGATOR;\r\n\tSIDE=CORE;\r\n\tName=Instigator;\r\n\tMaxDamage=x;\r\n\t"
      "Weapon1=gun;\r\n}";
  test::TempDir dir_;
};

TEST_F(UnitsCliTest, ListsShowsAndTabulates) {
  const std::string d = platform::utf8Of(dir_.path());
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;
  } cases[] = {
      {{"units"},
       0,
       "ARMFLASH\tARM\tFlash\t" + d + "/units/ARMFLASH.FBI\nCORGATOR\tCORE\tInstigator\t" + d +
           "/rev.gp3/units/corgator.fbi\n2 units\n"},
      {{"units", "--engine", "later", "--json"},
       0,
       "[{\"unit\": \"ARMFLASH\", \"side\": \"ARM\", \"name\": \"Flash\", \"file\": \"" + d +
           "/units/ARMFLASH.FBI\"}, {\"unit\": \"corgator\", \"side\": \"CORE\", \"name\": \"Instigator\", "
           "\"file\": \"" +
           d + "/rev.gp3/units/corgator.fbi\"}]\n"},
      {{"unit", "corgator", "--engine", "later"},  // by its file's name
       0,
       "UnitName\tCORGATOR\t3\nSIDE\tCORE\t4\nName\tInstigator\t5\nMaxDamage\tx\t6\nWeapon1\tgun\t7\n"
       "Weapon1\tgun\tfound\n"},
      {{"unit", "ARMFLASH", "--json"},
       0,
       "{\n  \"unit\": \"ARMFLASH\",\n  \"file\": \"" + d +
           "/units/ARMFLASH.FBI\",\n  \"values\": [\n    {\"key\": \"UnitName\", \"value\": \"ARMFLASH\", "
           "\"line\": 3},\n    {\"key\": \"Side\", \"value\": \"ARM\", \"line\": 4},\n    {\"key\": \"Name\", "
           "\"value\": \"Flash\", \"line\": 5},\n    {\"key\": \"BuildCostMetal\", \"value\": \"100\", \"line\": "
           "6},\n    {\"key\": \"MaxDamage\", \"value\": \"500\", \"line\": 7},\n    {\"key\": \"Weapon1\", "
           "\"value\": \"GUN\", \"line\": 8},\n    {\"key\": \"Weapon2\", \"value\": \"laser\", \"line\": 9},\n  "
           "  {\"key\": \"Weapon3\", \"value\": \"NOPE\", \"line\": 10},\n    {\"key\": \"ExplodeAs\", "
           "\"value\": \"GUN\", \"line\": 11}\n  ],\n  \"weapons\": [\n    {\"slot\": \"Weapon1\", \"weapon\": "
           "\"GUN\", \"found\": true},\n    {\"slot\": \"Weapon2\", \"weapon\": \"laser\", \"found\": true},\n "
           "   {\"slot\": \"Weapon3\", \"weapon\": \"NOPE\", \"found\": false},\n    {\"slot\": \"ExplodeAs\", "
           "\"weapon\": \"GUN\", \"found\": true}\n  ]\n}\n"},
      {{"unit", "NOPE"}, 1, ""},
      // dps: 50 x 3 / 2 for GUN, 10 for the laser; the explosion does not count.
      {{"table", "--units", "--fields", "maxdamage,dps,hp.per.metal,dps.per.metal,Custom.X"},
       0,
       "unit\tMaxDamage\tdps\thp.per.metal\tdps.per.metal\tCustom.X\nARMFLASH\t500\t85\t5\t0.85\t\n"
       "CORGATOR\tx\t75\t\t\t\n"},
      {{"table", "--units", "--fields", "Name,Side", "--format", "csv"},
       0,
       "unit,Name,Side\r\nARMFLASH,Flash,ARM\r\nCORGATOR,Instigator,CORE\r\n"},
      {{"diff", "--units", "armflash", "CORGATOR"},
       1,
       "UnitName\tARMFLASH\tCORGATOR\nName\tFlash\tInstigator\nSide\tARM\tCORE\nBuildCostMetal\t100\t\n"
       "MaxDamage\t500\tx\nWeapon1\tGUN\tgun\nWeapon2\tlaser\t\nWeapon3\tNOPE\t\nExplodeAs\tGUN\t\n9 fields differ\n"},
      {{"diff", "--units", "armflash", "ARMFLASH"}, 0, "0 fields differ\n"},
  };
  for (const auto& c : cases) {
    const test::CliRun r = cli(c.args);
    std::string what;
    for (const std::string& a : c.args) what += a + " ";
    EXPECT_EQ(r.status, c.status) << what << "\n" << r.err;
    EXPECT_EQ(r.out, c.out) << what;
    // The file without [UNITINFO] is named and left out.
    if (c.status == 0) {
      EXPECT_NE(r.err.find("broken.fbi left out"), std::string::npos) << r.err;
    }
  }
  const std::string notFound = cli({"unit", "NOPE"}).err;
  EXPECT_TRUE(notFound.ends_with("\nUnit not found!\n")) << notFound;
  EXPECT_EQ(cli({"table", "--units", "--fields", "a=b"}).status, 2);
}

// An archived unit is changed as a loose file of its path, which the game
// reads first; the archive is never written. The diff comes first, then
// a value the unit checks flag is written with the finding.
TEST_F(UnitsCliTest, SetWritesALooseOverride) {
  const std::string archive = test::readFile(dir_.path() / "rev.gp3");
  const test::CliRun r = cli({"set", "--unit", "CORGATOR", "MaxDamage=900", "Name=Gator", "--remove", "SIDE"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("lies in an archive"), std::string::npos) << r.err;
  EXPECT_EQ(test::readFile(dir_.path() / "rev.gp3"), archive);
  EXPECT_EQ(test::readFile(dir_.path() / "units" / "corgator.fbi"),
            "[UNITINFO]\r\n{\r\n\tUnitName=CORGATOR;\r\n\tName=Gator;\r\n\tMaxDamage=900;\r\n\t"
            "Weapon1=gun;\r\n}");
  EXPECT_NE(r.out.find("-\tMaxDamage=x;\n+\tName=Gator;\n+\tMaxDamage=900;\n"), std::string::npos) << r.out;
  EXPECT_NE(cli({"unit", "CORGATOR"}).out.find("\nMaxDamage\t900\t5\n"), std::string::npos);

  const test::CliRun flagged = cli({"set", "--unit", "armflash", "BuildCostMetal=lots"});
  EXPECT_EQ(flagged.status, 0);
  EXPECT_NE(
      flagged.err.find("ARMFLASH.FBI:6:2: error: the value 'lots' of 'BuildCostMetal' is not a number [not-a-number]"),
      std::string::npos)
      << flagged.err;
  EXPECT_TRUE(fs::exists(dir_.path() / "units" / "ARMFLASH.FBI.bak"));
  const test::CliRun misspelt = cli({"set", "--unit", "armflash", "BuildCostMetl=5"});
  EXPECT_EQ(misspelt.status, 0);
  EXPECT_NE(misspelt.err.find(":12:2: warning: the game does not know the key 'BuildCostMetl'; did you mean "
                              "'BuildCostMetal'? [unknown-key]"),
            std::string::npos)
      << misspelt.err;
  const struct {
    std::vector<std::string> args;
    int status;
    const char* err;
  } refused[] = {
      {{"set", "--unit", "NOPE", "A=1"}, 1, "Unit not found!"},
      {{"set", "--unit", "ARMFLASH", "Side=A;B"}, 1, "may not hold ';'"},
      {{"set", "--unit", "ARMFLASH", "--remove", "Nope"}, 1, "has no key Nope"},
      {{"set", "--unit", "ARMFLASH"}, 2, "at least one"},
  };
  const std::string before = test::readFile(dir_.path() / "units" / "ARMFLASH.FBI");
  for (const auto& c : refused) {
    const test::CliRun x = cli(c.args);
    EXPECT_EQ(x.status, c.status) << c.args[2];
    EXPECT_NE(x.err.find(c.err), std::string::npos) << x.err;
  }
  EXPECT_EQ(test::readFile(dir_.path() / "units" / "ARMFLASH.FBI"), before);
}

// Units as an edit session holds them: undone and redone on the same bytes.
TEST_F(UnitsCliTest, UndoInTheSession) {
  const GameFiles files(dir_.path());
  const GameUnits units(files, Engine::Original);
  const Unit* flash = units.find("armflash");
  ASSERT_TRUE(flash);
  edit::Session session(dir_.path(), {});
  const auto rules = unitRules(flash->file, flash->name);
  const edit::Applied applied = session.apply({{edit::Change::Kind::Set, "ARMFLASH", "Side", "CORE", rules},
                                               {edit::Change::Kind::Set, "ARMFLASH", "Weapon1", "LASER", rules}});
  ASSERT_TRUE(applied.step) << applied.refusal;
  ASSERT_EQ(session.fileCount(), 1u);
  EXPECT_EQ(UnitFile(session.bytes(0)).value("weapon1"), "LASER");
  session.undo(*applied.step);
  EXPECT_EQ(session.bytes(0), flash->read.bytes());
  session.redo(*applied.step);
  EXPECT_EQ(UnitFile(session.bytes(0)).value("side"), "CORE");
}

}  // namespace
}  // namespace qm
