// The game checks: each check on a file that must give it and on one that
// must not, the two commands over a game folder, and the real mod files.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "catalogue/game_files.h"
#include "checks/check_set.h"
#include "checks/references.h"
#include "cli/game_checks.h"
#include "platform/path_text.h"
#include "support/archive_writer.h"
#include "test_support.h"
#include "text/text.h"

namespace qm {
namespace {

// `line` 0: the check must not fire at all.
struct CheckCase {
  std::string_view check;
  std::string text;
  int line, column;
  const char* inMessage;
};

const std::string kDamage = "\t[DAMAGE]\n\t{\n\tdefault=10;\n\t}\n";

// A block of `keys` keys k0..kN, one a line from line 4, then k1 again.
std::string bigBlock(int keys) {
  std::string text = "[A]\n{\nID=1;\n";
  for (int i = 0; i < keys; ++i) text += 'k' + std::to_string(i) + "=1;\n";
  return text + "K1=2;\n}\n";
}

std::string nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "[A]{";
  return text + std::string(static_cast<std::size_t>(depth), '}');
}

const CheckCase kCases[] = {
    {"missing-semicolon", "[A]\n{\n\tID=1;\n\treloadtime=5\n}\n", 4, 14, "'reloadtime=5' has no ';'"},
    {"missing-semicolon", "[A]\n{\nID=1;\nrange=5;  // far\n" + kDamage + "}\n", 0, 0, nullptr},
    {"unmatched-brace", "[A]\n{\nID=1;\n}\n}\n", 5, 1, nullptr},
    {"unmatched-brace", "[A]\n{\nID=1;\n" + kDamage + "}\n", 0, 0, nullptr},
    {"unclosed-block", "[A]\n{\nID=1;\n\t[DAMAGE]\n\t{\n\tdefault=1;\n}\n", 1, 1, "'[A]' is still open"},
    // A weapon left open swallows the next one: said where it opened; the next one is checked, but is no
    // weapon of its own to the game (no ID of its own, not defined again).
    {"unclosed-block", "// x\n[A]\n{\nID=1;\n" + kDamage + "[B]\n{\nID=1;\n" + kDamage + "}\n", 2, 1,
     "'[A]' is not closed before '[B]' at line 9"},
    {"id-conflict", "[A]\n{\nID=1;\n" + kDamage + "[B]\n{\nID=1;\n" + kDamage + "}\n", 0, 0, nullptr},
    {"duplicate-weapon", "[A]\n{\nID=1;\n" + kDamage + "[A]\n{\nID=1;\n" + kDamage + "}\n", 0, 0, nullptr},
    {"not-a-number", "[A]\n{\nID=1;\n" + kDamage + "[B]\n{\nrange=x;\n" + kDamage + "}\n", 10, 1, "'x'"},
    // A '{' without a header has its finding; no follow-on about a weapon '[]'.
    {"missing-id", "{\nrange=1;\n}\n", 0, 0, nullptr},
    {"text-outside-block", "junk\nmore junk\n[A]\n{\nID=1;\n}\n", 1, 1, "'junk'"},
    {"text-outside-block", "// note\n/* a\nb */ ;\n[A]\n{\nID=1;\n};\n", 0, 0, nullptr},
    {"stray-text", "[A]\n{\nID=1;\n\tjust words\n}\n", 4, 2, "'just words' is not a key=value; pair"},
    {"duplicate-key", "[A]\n{\nID=1;\nrange=1;\nRANGE=2;\n}\n", 5, 1, "'2' is the one that counts"},
    {"duplicate-key", "[A]\n{\nID=1;\nrange=1;\n[DAMAGE]\n{\nrange=2;\n}\n}\n[B]\n{\nID=2;\nrange=1;\n}\n", 0, 0,
     nullptr},
    {"duplicate-key", bigBlock(100), 104, 1, "first at line 5"},
    {"deep-nesting", nested(17), 1, 68, nullptr},
    {"missing-id", "[A]\n{\nrange=1;\n" + kDamage + "}\n", 1, 1, nullptr},
    {"missing-id", "[A]\n{\n\tid = 0 ;\n}\n", 0, 0, nullptr},
    {"bad-id", "[A]\n{\nID=256;\n}\n", 3, 1, "'256'"},
    {"bad-id", "[A]\n{\nID=255;\n}\n[B]\n{\nID=+0;\n}\n", 0, 0, nullptr},
    {"id-conflict", "[A]\n{\nID=5;\n}\n[B]\n{\n\tID=5;\n}\n", 7, 2, "also the ID of '[A]' at f.tdf:1"},
    {"id-conflict", "[A]\n{\nID=5;\n}\n[a]\n{\nID=5;\n}\n[B]\n{\nID=6;\n}\n", 0, 0, nullptr},
    // A missing ";" ends the value at the line's end: the weapons after it are still read.
    {"id-conflict", "[A]\r\n{\r\nID=7\r\n[DAMAGE]\r\n{\r\n}\r\n}\r\n[B]\r\n{\r\nid=7;\r\n}", 10, 1, "'[A]' at f.tdf:1"},
    {"duplicate-weapon", "[A]\n{\nID=5;\n}\n[a]\n{\nID=6;\n}\n", 5, 1, "drops the one at f.tdf:1"},
    {"duplicate-weapon", "[A]\n{\nID=5;\n}\n[AB]\n{\nID=6;\n}\n", 0, 0, nullptr},
    {"not-a-number", "[A]\n{\nID=1;\nweaponacceleration=-;\n}\n", 4, 1, "'-'"},
    {"not-a-number", "[A]\n{\nID=1;\n[DAMAGE]\n{\ndefault=.;\n}\n}\n", 6, 1, nullptr},
    {"not-a-number", "[A]\n{\nID=1;\nrange=e5;\n}\n", 4, 1, "'e5'"},
    {"not-a-number", "[A]\n{\nID=1;\nrange=-1.5e3;\nreloadtime=.5;\nmodel=13O;\n" + kDamage + "}\n", 0, 0, nullptr},
    {"empty-value", "[A]\n{\nID=1;\npitchtolerance=;\n}\n", 4, 1, nullptr},
    {"unknown-key", "[A]\n{\nID=1;\n\treloadtim=1;\n}\n", 4, 2, "did you mean 'reloadtime'?"},
    {"unknown-key", "[A]\n{\nID=1;\nReloadTime=1;\nmetalpershot=2;\n[DAMAGE]\n{\nCORTHUD=1;\n}\n}\n", 0, 0, nullptr},
    // Keys a mod uses on purpose: once per key, never "did you mean" a key with a "no"/"not" or a digit more.
    {"unknown-key", "[A]\n{\nID=1;\nnotairweapon=1;\n}\n[B]\n{\nID=2;\nNOTAIRWEAPON=1;\n}\n", 4, 1,
     "does not read the key 'notairweapon'; it is used on 2 lines"},
    {"unknown-key", "[A]\n{\nID=1;\nweapontype=2;\n}\n", 4, 1, "'weapontype' (only the later engine does)"},
    {"outside-damage", "[A]\n{\nID=1;\n" + kDamage + "CORLLT=20;\n}\n", 8, 1, "closed at line 7"},
    {"outside-damage", "[A]\n{\nID=1;\nCORLLT=20;\n" + kDamage + "}\n", 0, 0, nullptr},
    // A weapon closed before its damage block: no weapon "[DAMAGE]" without an ID, no unknown key "default".
    {"damage-outside-weapon", "[A]\n{\nID=1;\n}\n[DAMAGE]\n{\ndefault=5;\n}\n}\n", 5, 1,
     "the '}' at line 4 closed '[A]'"},
    {"missing-id", "[A]\n{\nID=1;\n}\n[DAMAGE]\n{\ndefault=5;\n}\n}\n", 0, 0, nullptr},
    {"unknown-key", "[A]\n{\nID=1;\n}\n[DAMAGE]\n{\ndefault=5;\n}\n}\n", 0, 0, nullptr},
    {"damage-outside-weapon", "[A]\n{\nID=1;\n" + kDamage + "}\n", 0, 0, nullptr},
    {"missing-damage", "[A]\n{\nID=1;\n}\n", 1, 1, "has no [DAMAGE] block"},
    {"missing-damage", "[A]\n{\nID=1;\n[DAMAGE]\n{\nARMCOM=5;\n}\n}\n", 4, 1, "has no 'default'"},
    {"missing-damage", "[A]\n{\nID=1;\n[damage]\n{\nDEFAULT=5;\n}\n}\n", 0, 0, nullptr},
    {"duplicate-damage", "[A]\n{\nID=1;\n" + kDamage + kDamage + "}\n", 8, 2, "the first at line 4"},
    {"duplicate-damage", "[A]\n{\nID=1;\n" + kDamage + "}\n[B]\n{\nID=2;\n" + kDamage + "}\n", 0, 0, nullptr},
    {"bad-flag", "[A]\n{\nID=1;\nTurret=yes;\n}\n", 4, 1, "the value 'yes' of 'Turret' is not 0 or 1"},
    {"bad-flag", "[A]\n{\nID=1;\nturret=1;\nballistic=0;\nstockpile=2;\n}\n", 0, 0, nullptr},
    {"negative-value", "[A]\n{\nID=1;\nreloadtime=-0.5;\n}\n", 4, 1, "is negative"},
    {"negative-value", "[A]\n{\nID=1;\nrange=-1e-3;\n}\n", 4, 1, nullptr},
    {"negative-value", "[A]\n{\nID=1;\nreloadtime=-0;\nrange=+5;\nweaponvelocity=-5;\n}\n", 0, 0, nullptr},
    {"weapon-name", "[BIG GUN]\n{\nID=1;\n}\n", 1, 1, "holds a space"},
    {"weapon-name", "[GUN\xe9]\n{\nID=1;\n}\n", 1, 1, "holds bytes outside ASCII"},
    {"weapon-name", "[GUN_2-B]\n{\nID=1;\n}\n", 0, 0, nullptr},
    {"text-after-header", "[A] // gun\n{\nID=1;\n}\n", 1, 4, "shows the name 'A] // gu'"},
    {"indented-header", " [A]\n{\nID=1;\n}\n", 1, 2, nullptr},
    {"listed-sub-block", "[A]\n{\nID=1;\n[damage]\n{\n}\n}\n", 4, 1, nullptr},
    {"listed-sub-block", "[A]\n{\nID=1;\n[DAMAGE]\n{\n}\n\t[custom]\n\t{\n\t}\n}\n", 0, 0, nullptr},
    {"block-in-comment", "/* old\n[OLD]\n{\n}\n*/\n[A]\n{\nID=1;\n}\n", 2, 1, "'[OLD]'"},
    {"block-in-comment", "/*\n[DAMAGE]\n\t[OLD]\n*/\n// [OLD]\n[A]\n{\nID=1;\n}\n", 0, 0, nullptr},
    {"missing-brace", "[A]\nID=1;\n", 1, 1, nullptr},
    {"missing-brace", "[A];{\nID=1;\n}\n", 1, 1, nullptr},
    {"missing-header", "{\nID=1;\n}\n", 1, 1, nullptr},
    {"unclosed-header", "[A\n{\nID=1;\n}\n", 1, 1, nullptr},
    {"unclosed-comment", "[A]\n{\nID=1;\n}\n/* to the end\n", 5, 1, nullptr},
};

// The case's check fires once, at its line and column with its words in the
// message, or not at all when it names no line.
void expectCase(Engine engine, const CheckCase& c) {
  GameCheck check(GameCheck::Scope::Everything, {engine, {}});
  check.addFile("f.tdf", c.text);
  check.finish();
  std::vector<Finding> hits;
  for (const Finding& f : check.findings())
    if (f.check == c.check) hits.push_back(f);
  const std::string what = std::string(c.check) + " on: " + c.text;
  ASSERT_EQ(hits.size(), c.line ? 1u : 0u) << what << (hits.empty() ? "" : "\n  got: " + hits[0].message);
  if (!c.line) return;
  EXPECT_EQ(std::pair(hits[0].line, hits[0].column), std::pair(c.line, c.column)) << what;
  if (c.inMessage) {
    EXPECT_NE(hits[0].message.find(c.inMessage), std::string::npos) << hits[0].message;
  }
}

TEST(GameChecksTest, EachCheckFiresWhereItShouldAndNowhereElse) {
  for (const CheckCase& c : kCases) expectCase(Engine::Original, c);
}

// The later engine reads its own keys (later_keys.def) and values: any
// number or true/false as a flag, a word it ignores, hexadecimal numbers;
// a shield needs no [DAMAGE] block; hints point at its own keys, and the
// original's own keys are ones it does not read.
TEST(GameChecksTest, LaterEngineKeysAndValues) {
  const std::string weapon = "[A]\n{\n";
  const CheckCase cases[] = {
      {"unknown-key",
       weapon +
           "avoidNeutral=1;\nleadbonus=2;\nsoundhitdry=x;\ncollisionSize=3;\ncolormap=a b;\nexplosionScar=0;\n"
           "dynDamageExp=1;\nshieldGoodColor=1 1 1;\nareaofeffect=8;\nrendertype=4;\n" +
           kDamage + "}\n",
       0, 0, nullptr},
      {"unknown-key", weapon + "targetMoveErro=1;\n" + kDamage + "}\n", 3, 1, "did you mean 'targetmoveerror'?"},
      {"unknown-key", weapon + "weapontyp=Cannon;\n" + kDamage + "}\n", 3, 1, "did you mean 'weapontype'?"},
      {"unknown-key", weapon + "explosiongaf=fx;\n" + kDamage + "}\n", 3, 1, "(only the original engine does)"},
      {"bad-flag", weapon + "groundBounce=2;\nturret=TRUE;\nnoexplode=-0.5;\n" + kDamage + "}\n", 0, 0, nullptr},
      {"ignored-value", weapon + "groundBounce=2;\nturret=True;\nnoexplode=0x0;\n" + kDamage + "}\n", 0, 0, nullptr},
      {"ignored-value", weapon + "turret=yes;\n" + kDamage + "}\n", 3, 1, "ignores it and keeps the default"},
      {"not-a-number", weapon + "range=0x10;\nreloadtime=1e3;\nburst=inf;\n" + kDamage + "}\n", 0, 0, nullptr},
      {"not-a-number", weapon + "range=12abc;\n" + kDamage + "}\n", 3, 1, "'12abc'"},
      {"missing-damage", weapon + "weapontype=Shield;\n}\n[B]\n{\nisshield=1;\n}\n", 0, 0, nullptr},
      {"missing-damage", weapon + "weapontype=Cannon;\nisshield=1;\n}\n", 1, 1, "has no [DAMAGE] block"},
  };
  for (const CheckCase& c : cases) expectCase(Engine::Later, c);
}

// The engine: later turns the ID checks off and knows its own keys; auto
// takes later when most weapons have no ID or use keys only it reads.
TEST(GameChecksTest, Engine) {
  const std::string a = "[A]\n{\nweapontype=Cannon;\n" + kDamage + "}\n";
  const std::string b = "[B]\n{\nID=1;\nweapontype=Cannon;\n" + kDamage + "}\n";
  const std::string c = "[C]\n{\nID=1;\n" + kDamage + "}\n";
  const struct {
    std::string text;
    Engine asked, taken;
    std::size_t findings;  // missing-id, id-conflict and unknown-key alike
  } rows[] = {
      {a + b + c, Engine::Auto, Engine::Later, 0},
      {a + b + c, Engine::Original, Engine::Original, 3},
      {b + c, Engine::Auto, Engine::Original, 2},
      {b + c, Engine::Later, Engine::Later, 0},
  };
  for (const auto& row : rows) {
    GameCheck check(GameCheck::Scope::Everything, {row.asked, {}});
    check.addFile("f.tdf", row.text);
    check.finish();
    EXPECT_EQ(check.engine(), row.taken) << row.text;
    EXPECT_EQ(check.findings().size(), row.findings) << row.text;
  }
}

// The README's table of checks is the one `lint --list-checks` prints.
TEST(GameChecksTest, ReadmeListsEveryCheck) {
  const std::string readme = test::readFile(std::filesystem::path(QM_SOURCE_DIR) / "README.md");
  const std::string head = "|---|---|---|---|\n";
  const std::size_t from = readme.find(head), to = readme.find("<!-- end of checks -->");
  ASSERT_TRUE(from != std::string::npos && to != std::string::npos);
  std::string expected;
  for (const CheckInfo& c : allChecks())
    expected += "| `" + std::string(c.name) + "` | " + std::string(severityName(c.severity)) + " | " +
                std::string(categoryName(c.category)) + " | " + std::string(c.summary) + " |\n";
  EXPECT_EQ(readme.substr(from + head.size(), to - from - head.size()), expected);
  EXPECT_EQ(idRangesText({0, 17, 18, 19, 28, 40, 41}), "0, 17-19, 28, 40-41");
}

// One game folder for both commands: loose files in any case of "weapons",
// an archive whose copy of a.tdf the loose one hides, a damaged archive and
// an imported file. Hidden, non-.tdf and nested files are not in the set.
TEST(GameFolderTest, CensusAndLint) {
  test::TempDir dir;
  dir.write("WEAPONS/a.tdf", "[GUN]\n{\n\tID=5;\n}\n[NONE]\n{\n}\n[ZERO]\n{\nID=0;\n}\n");
  dir.write("WEAPONS/CANNONS.TDF", "[B]\n{\nID=1;\nreloadtim=2;\n}\n");
  for (const char* other : {"WEAPONS/.hidden.tdf", "WEAPONS/notes.txt", "WEAPONS/old/c.tdf"})
    dir.write(other, "[X]\n{\nID=3;\n}\n");
  dir.write("rev31.gp3", test::writeArchive({{"weapons/A.TDF", "[GUN]\n{\nID=9;\n}\n"},
                                             {"weapons/l.tdf", "// mod\n[LASER]\n{\nID=5;\n}\n"},
                                             {"units/u.tdf", "[UNIT]\n{\nID=7;\n}\n"}})
                             .bytes);
  dir.write("bad.hpi", "not an archive");
  // The folder as it is written, also where the system ignores letter case.
  const char* folder = "WEAPONS";
  const std::string a = platform::utf8Of(dir.path() / folder / "a.tdf"),
                    b = platform::utf8Of(dir.path() / folder / "CANNONS.TDF");
  const std::string laser = platform::utf8Of(dir.path() / "rev31.gp3") + "/weapons/l.tdf";
  const std::string mod = platform::utf8Of(dir.write("mod.tdf", "[ODD]\n{\nID=1x;\n}\n"));
  // The weapon list finds the standard files in any letter case too.
  EXPECT_TRUE(std::filesystem::equivalent(standardFilePaths(dir.path())[0], b));
  const auto run = [&](bool ids, bool json, const std::vector<std::string>& files, int expectedStatus) {
    std::ostringstream out, err;
    LintOptions options;
    options.files = files;
    options.json = json;
    options.disable = {"missing-damage"};
    const int status = ids ? runIds(dir.path(), {mod}, json, out, err) : runLint(dir.path(), {}, options, out, err);
    EXPECT_EQ(status, expectedStatus) << err.str();
    return out.str();
  };

  // The census names both sides of a conflict across loose files and archive.
  EXPECT_EQ(run(true, false, {}, 0), "0\tZERO\t" + a + ":8\n1\tB\t" + b + ":1\n5\tGUN\t" + a + ":1\n5\tLASER\t" +
                                         laser + ":2\n6 weapons, 3 IDs used, 253 IDs free, 1 IDs in conflict\n");
  auto j = nlohmann::json::parse(run(true, true, {}, 0));
  EXPECT_EQ(j["weapons"][1], (nlohmann::json{{"name", "NONE"}, {"id", nullptr}, {"file", a}, {"line", 5}}));
  EXPECT_EQ(j["conflicts"][0]["weapons"][1], (nlohmann::json{{"name", "LASER"}, {"file", laser}, {"line", 2}}));

  // Lint prints its findings sorted and exits 1 on errors.
  std::vector<std::string> findings = {
      a + ":5:1: error: '[NONE]' has no ID [missing-id]\n",
      b + ":4:1: warning: the game does not know the key 'reloadtim'; did you mean 'reloadtime'? [unknown-key]\n",
      platform::utf8Of(dir.path() / "bad.hpi") +
          ":0:0: error: cannot read the file: damaged archive: too short for an archive header [unreadable]\n",
      laser + ":4:1: error: the ID 5 of '[LASER]' is also the ID of '[GUN]' at " + a + ":1 [id-conflict]\n"};
  // By file, letter case folded (a.tdf before CANNONS.TDF); where "weapons" sorts depends on its letter case.
  std::sort(findings.begin(), findings.end(),
            [](const std::string& x, const std::string& y) { return compareFolded(x, y) < 0; });
  std::string expected;
  for (const std::string& f : findings) expected += f;
  EXPECT_EQ(run(false, false, {}, 1), expected + "3 errors, 1 warnings in 4 files (engine: original)\n");
  // Only the files given; warnings alone exit 0.
  j = nlohmann::json::parse(run(false, true, {b}, 0));
  ASSERT_EQ(j["findings"].size(), 1u);
  EXPECT_EQ(j["findings"][0], (nlohmann::json{{"file", b},
                                              {"line", 4},
                                              {"column", 1},
                                              {"severity", "warning"},
                                              {"check", "unknown-key"},
                                              {"message", j["findings"][0]["message"]}}));
}

bool isWeaponFile(const std::filesystem::path& p) { return toLower(platform::utf8Of(p.extension())) == ".tdf"; }

// Every weapon file of the corpus of real mod files: the game checks read
// them without a failure, with the weapon counts the corpus notes give.
TEST(GameChecksCorpusTest, EveryFolderOfTheCorpus) {
  const std::filesystem::path corpus = QM_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  std::size_t weapons = 0, files = 0;
  for (const auto& game : std::filesystem::directory_iterator(corpus)) {
    if (!game.is_directory()) continue;
    std::vector<WeaponFilePtr> set;
    for (const auto& f : std::filesystem::recursive_directory_iterator(game.path()))
      if (f.is_regular_file() && isWeaponFile(f.path())) set.push_back(looseFile(f.path()));
    GameCheck check;
    ASSERT_TRUE(runGameCheck(check, set)) << game.path();
    weapons += check.weapons().size();
    files += check.fileCount();
  }
  EXPECT_EQ(files, 457u);
  EXPECT_EQ(weapons, 3746u);
}

// The unit files of the corpus name weapons as the corpus notes count them
// (comments left out, empty values not counted): Weapon1 to Weapon3,
// ExplodeAs and SelfDestructAs, and the names no weapon file of the mod
// defines; then the slots from Weapon4 that only the later engine reads.
TEST(GameChecksCorpusTest, UnitsNameTheWeapons) {
  const std::filesystem::path corpus = QM_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  const struct {
    const char* mod;
    std::size_t uses, unresolved, laterSlots;
  } rows[] = {
      {"ota-mirddes", 695, 12, 0}, {"tae-mirddes", 1287, 6, 0}, {"mayhem-mirddes", 1400, 2, 0},
      {"ta-redux", 733, 0, 0},     {"xubor", 834, 0, 0},        {"rota", 1187, 11, 103},
      {"xta-2011", 1266, 10, 29},  {"war-machines", 136, 9, 0}, {"air-raid-spring", 51, 3, 15},
  };
  for (const auto& row : rows) {
    const std::filesystem::path mod = corpus / row.mod;
    GameCheck names(GameCheck::Scope::CensusOnly);
    std::vector<UnitUse> uses;
    for (const auto& f : std::filesystem::recursive_directory_iterator(mod)) {
      if (!f.is_regular_file() || f.path().parent_path().filename() == "gamedata") continue;
      const std::string bytes = test::readFile(f.path());
      if (isWeaponFile(f.path())) names.addFile(platform::utf8Of(f.path()), bytes);
      if (toLower(platform::utf8Of(f.path().extension())) == ".fbi")
        readUnitUses(platform::utf8Of(f.path()), bytes, uses);
    }
    std::map<std::string, bool> defined;
    for (const WeaponRecord& w : names.weapons()) defined[toLower(w.name)] = true;
    std::size_t original = 0, unresolved = 0, later = 0;
    for (const UnitUse& u : uses) {
      if (u.slot > kOriginalWeaponSlots) {
        ++later;
        EXPECT_TRUE(defined.count(toLower(u.weapon))) << u.file << ":" << u.line;
        continue;
      }
      ++original;
      unresolved += defined.count(toLower(u.weapon)) ? 0 : 1;
    }
    EXPECT_EQ(original, row.uses) << row.mod;
    EXPECT_EQ(unresolved, row.unresolved) << row.mod;
    EXPECT_EQ(later, row.laterSlots) << row.mod;
  }
}

// The findings per check over each mod of the corpus, as `lint` checks it
// (its weapons folder, or its one folder of weapon files): the original
// engine's mods keep their ID and key checks, the later engine's mods give
// no ID findings, no finding on a key the later engine reads, and one
// unknown-key finding per key it does not (the original's own keys among
// them, such as explosiongaf). Noise creeping back in shows here.
TEST(GameChecksCorpusTest, FindingsPerCheck) {
  const std::filesystem::path corpus = QM_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  const struct {
    const char* mod;
    Engine engine;
    std::string counts;
  } rows[] = {
      {"ota-mirddes", Engine::Original, "duplicate-key=2 not-a-number=1"},
      {"tae-mirddes", Engine::Original, ""},
      {"mayhem-mirddes", Engine::Original, "duplicate-key=2 empty-value=2 outside-damage=6 unknown-key=20"},
      {"ta-redux", Engine::Original, "duplicate-key=2 unknown-key=1"},
      {"xubor", Engine::Original, "duplicate-key=7 duplicate-weapon=1 missing-semicolon=1 weapon-name=1"},
      {"rota", Engine::Later, "duplicate-key=34 duplicate-weapon=1 missing-damage=2 unknown-key=1"},
      {"xta", Engine::Later, "duplicate-key=90 unknown-key=35"},
      {"xta-2011", Engine::Later, "duplicate-key=35 unknown-key=35"},
      {"universal-annihilation", Engine::Later, "duplicate-key=1 unknown-key=26"},
      {"war-machines", Engine::Later, "duplicate-key=4 duplicate-weapon=2 unknown-key=38"},
      {"air-raid-spring", Engine::Later, "unknown-key=2"},
      {"metal-factions", Engine::Later, "duplicate-key=40 unknown-key=1"},
  };
  for (const auto& row : rows) {
    const std::filesystem::path mod = corpus / row.mod;
    std::vector<WeaponFilePtr> files;
    if (std::filesystem::is_directory(mod / "weapons")) {
      files = gameWeaponFiles(mod);
    } else {
      // The mod's one folder of weapon files beside its unit files.
      std::vector<std::filesystem::path> paths;
      for (const auto& folder : std::filesystem::directory_iterator(mod))
        for (const auto& f : std::filesystem::directory_iterator(folder.path()))
          if (isWeaponFile(f.path())) paths.push_back(f.path());
      std::sort(paths.begin(), paths.end());
      for (const auto& path : paths) files.push_back(looseFile(path));
    }
    GameCheck check(GameCheck::Scope::Everything, {Engine::Auto, CheckSelection::standard()});
    runGameCheck(check, files);
    std::map<std::string_view, int> perCheck;
    for (const Finding& f : check.findings()) ++perCheck[f.check];
    std::string counts;
    for (const auto& [name, n] : perCheck)
      counts.append(counts.empty() ? "" : " ").append(name).append("=").append(std::to_string(n));
    EXPECT_EQ(counts, row.counts) << row.mod;
    EXPECT_EQ(check.engine(), row.engine) << row.mod;
  }
}

}  // namespace
}  // namespace qm
