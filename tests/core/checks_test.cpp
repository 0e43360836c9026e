// The game checks: each check on a small file that must give it and on one
// that must not, the census and the two commands over game folders, and a run
// over the real mod files.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "checks/check_set.h"
#include "cli/game_checks.h"
#include "support/archive_writer.h"
#include "test_support.h"

namespace qm {
namespace {

std::vector<Finding> lint(const std::string& text) {
  GameCheck check;
  check.addFile("f.tdf", text);
  check.finish();
  return check.findings();
}

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
  for (int i = 0; i < keys; ++i) text += "k" + std::to_string(i) + "=1;\n";
  return text + "K1=2;\n}\n";
}

std::string nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "[A]{";
  return text + std::string(static_cast<std::size_t>(depth), '}');
}

const CheckCase kCases[] = {
    {"missing-semicolon", "[A]\n{\n\tID=1;\n\treloadtime=5\n}\n", 4, 14, "'reloadtime=5' has no ';'"},
    {"missing-semicolon", "[A]\n{\nID=1;\nrange=5  // far\n}\n", 4, 8, nullptr},
    {"missing-semicolon", "[A]\n{\nID=1;\nrange=5;  // far\n" + kDamage + "}\n", 0, 0, nullptr},
    {"unmatched-brace", "[A]\n{\nID=1;\n}\n}\n", 5, 1, nullptr},
    {"unmatched-brace", "[A]\n{\nID=1;\n" + kDamage + "}\n", 0, 0, nullptr},
    {"unclosed-block", "[A]\n{\nID=1;\n\t[DAMAGE]\n\t{\n\tdefault=1;\n}\n", 1, 1, "'[A]' is still open"},
    {"unclosed-block", "[A]{ID=1;}", 0, 0, nullptr},
    {"text-outside-block", "junk\nmore junk\n[A]\n{\nID=1;\n}\n", 1, 1, "'junk'"},
    {"text-outside-block", "[A]\n{\nID=1;\n}\nx=1;\n", 5, 1, nullptr},
    {"text-outside-block", "// note\n/* a\nb */ ;\n[A]\n{\nID=1;\n};\n", 0, 0, nullptr},
    {"stray-text", "[A]\n{\nID=1;\n\tjust words\n}\n", 4, 2, "'just words' is not a key=value; pair"},
    {"duplicate-key", "[A]\n{\nID=1;\nrange=1;\nRANGE=2;\n}\n", 5, 1, "'2' is the one that counts"},
    {"duplicate-key", "[A]\n{\nID=1;\nrange=1;\n[DAMAGE]\n{\nrange=2;\n}\n}\n[B]\n{\nID=2;\nrange=1;\n}\n", 0, 0,
     nullptr},
    {"duplicate-key", bigBlock(100), 104, 1, "first at line 5"},
    {"deep-nesting", nested(17), 1, 68, nullptr},
    {"deep-nesting", nested(16), 0, 0, nullptr},
    {"missing-id", "[A]\n{\nrange=1;\n" + kDamage + "}\n", 1, 1, nullptr},
    {"missing-id", "[A]\n{\n\tid = 0 ;\n}\n", 0, 0, nullptr},
    {"bad-id", "[A]\n{\nID=256;\n}\n", 3, 1, "'256'"},
    {"bad-id", "[A]\n{\nID=12a;\n}\n", 3, 1, nullptr},
    {"bad-id", "[A]\n{\nID=-1;\n}\n", 3, 1, nullptr},
    {"bad-id", "[A]\n{\nID=255;\n}\n[B]\n{\nID=+0;\n}\n", 0, 0, nullptr},
    {"id-conflict", "[A]\n{\nID=5;\n}\n[B]\n{\n\tID=5;\n}\n", 7, 2, "also the ID of '[A]' at f.tdf:1"},
    {"id-conflict", "[A]\n{\nID=5;\n}\n[a]\n{\nID=5;\n}\n[B]\n{\nID=6;\n}\n", 0, 0, nullptr},
    {"duplicate-weapon", "[A]\n{\nID=5;\n}\n[a]\n{\nID=6;\n}\n", 5, 1, "drops the one at f.tdf:1"},
    {"duplicate-weapon", "[A]\n{\nID=5;\n}\n[AB]\n{\nID=6;\n}\n", 0, 0, nullptr},
    {"not-a-number", "[A]\n{\nID=1;\nweaponacceleration=13O;\n}\n", 4, 1, "'13O'"},
    {"not-a-number", "[A]\n{\nID=1;\n[DAMAGE]\n{\ndefault=ten;\n}\n}\n", 6, 1, nullptr},
    {"not-a-number", "[A]\n{\nID=1;\nrange=-1.5e3;\nreloadtime=.5;\nmodel=13O;\n" + kDamage + "}\n", 0, 0, nullptr},
    {"empty-value", "[A]\n{\nID=1;\npitchtolerance=;\n}\n", 4, 1, nullptr},
    {"unknown-key", "[A]\n{\nID=1;\n\treloadtim=1;\n}\n", 4, 2, "did you mean 'reloadtime'?"},
    {"unknown-key", "[A]\n{\nID=1;\nmyGravity=1;\n}\n", 4, 1, "'myGravity'"},
    {"unknown-key", "[A]\n{\nID=1;\nReloadTime=1;\nmetalpershot=2;\n[DAMAGE]\n{\nCORTHUD=1;\n}\n}\n", 0, 0, nullptr},
    {"text-after-header", "[A] // gun\n{\nID=1;\n}\n", 1, 4, "shows the name 'A] // gu'"},
    {"text-after-header", "[gun]{ID=1;}\n", 1, 6, nullptr},
    {"text-after-header", "[A]\n{\nID=1;\n}\n", 0, 0, nullptr},
    {"indented-header", " [A]\n{\nID=1;\n}\n", 1, 2, nullptr},
    {"listed-sub-block", "[A]\n{\nID=1;\n[damage]\n{\n}\n}\n", 4, 1, nullptr},
    {"listed-sub-block", "[A]\n{\nID=1;\n[DAMAGE]\n{\n}\n\t[custom]\n\t{\n\t}\n}\n", 0, 0, nullptr},
    {"block-in-comment", "/* old\n[OLD]\n{\n}\n*/\n[A]\n{\nID=1;\n}\n", 2, 1, "'[OLD]'"},
    {"block-in-comment", "/*\n[DAMAGE]\n\t[OLD]\n*/\n// [OLD]\n[A]\n{\nID=1;\n}\n", 0, 0, nullptr},
    {"missing-brace", "[A]\nID=1;\n", 1, 1, nullptr},
    {"missing-header", "{\nID=1;\n}\n", 1, 1, nullptr},
    {"unclosed-header", "[A\n{\nID=1;\n}\n", 1, 1, nullptr},
    {"unclosed-comment", "[A]\n{\nID=1;\n}\n/* to the end\n", 5, 1, nullptr},
};

TEST(GameChecksTest, EachCheckFiresWhereItShouldAndNowhereElse) {
  for (const CheckCase& c : kCases) {
    std::vector<Finding> hits;
    for (const Finding& f : lint(c.text))
      if (f.check == c.check) hits.push_back(f);
    const std::string what = std::string(c.check) + " on: " + c.text;
    if (c.line == 0) {
      EXPECT_TRUE(hits.empty()) << what << "\n  got: " << (hits.empty() ? "" : hits[0].message);
      continue;
    }
    ASSERT_EQ(hits.size(), 1u) << what;
    EXPECT_EQ(hits[0].line, c.line) << what;
    EXPECT_EQ(hits[0].column, c.column) << what;
    if (c.inMessage) {
      EXPECT_NE(hits[0].message.find(c.inMessage), std::string::npos) << hits[0].message;
    }
  }
}

TEST(GameChecksTest, ReaderKeepsStructureAfterFaults) {
  // A missing ";" ends the value at the line's end, so the weapons after it
  // are still read, with their IDs.
  GameCheck check;
  check.addFile("f.tdf", "[A]\r\n{\r\nID=7\r\n[DAMAGE]\r\n{\r\ndefault=1}\r\n}\r\n[B]\r\n{\r\nid=8;\r\n}");
  check.finish();
  ASSERT_EQ(check.weapons().size(), 2u);
  EXPECT_EQ(check.weapons()[0].idText, "7");
  EXPECT_EQ(check.weapons()[1].name, "B");
  EXPECT_EQ(check.weapons()[1].line, 8);
  EXPECT_EQ(check.count(Severity::Error), 2u);
  EXPECT_EQ(check.count(Severity::Warning), 0u);
}

class GameFolderTest : public ::testing::Test {
 protected:
  std::string run(const std::vector<std::string>& words, int expectedStatus, const std::vector<std::string>& imports = {}) {
    std::ostringstream out, err;
    const bool json = words.back() == "--json";
    const std::vector<std::string> files(words.begin() + 1, words.end() - (json ? 1 : 0));
    const int status = words[0] == "ids" ? runIds(dir.path(), imports, json, out, err)
                                         : runLint(dir.path(), imports, files, json, out, err);
    EXPECT_EQ(status, expectedStatus) << err.str();
    errors = err.str();
    return out.str();
  }
  test::TempDir dir;
  std::string errors;  // what the last run printed on standard error
};

TEST_F(GameFolderTest, TheSetIsEveryTdfOfTheWeaponsFolderInAnyCase) {
  dir.Write("WEAPONS/b.TDF", "[B]\n{\nID=1;\n}\n");
  dir.Write("WEAPONS/a.tdf", "[A]\n{\nID=2;\n}\n");
  dir.Write("WEAPONS/.hidden.tdf", "[H]\n{\nID=3;\n}\n");
  dir.Write("WEAPONS/notes.txt", "[N]\n{\nID=4;\n}\n");
  dir.Write("WEAPONS/old/c.tdf", "[C]\n{\nID=5;\n}\n");
  std::vector<std::string> names;
  for (const WeaponFilePtr& f : gameWeaponFiles(dir.path()))
    names.push_back(std::filesystem::path(f->name()).filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"a.tdf", "b.TDF"}));
}

TEST_F(GameFolderTest, CensusNamesBothSidesOfAConflict) {
  const std::string a = (dir.path() / "weapons" / "a.tdf").string();
  const std::string mod = dir.Write("mod.tdf", "// from a mod\n[LASER]\n{\nID=5;\n}\n[ODD]\n{\nID=1x;\n}\n").string();
  dir.Write("weapons/a.tdf", "[GUN]\n{\n\tID=5;\n}\n[NONE]\n{\n}\n[ZERO]\n{\nID=0;\n}\n");

  EXPECT_EQ(run({"ids"}, 0, {mod}),
            "0\tZERO\t" + a + ":8\n5\tGUN\t" + a + ":1\n5\tLASER\t" + mod + ":2\n" +
                "5 weapons, 2 IDs used, 254 IDs free, 1 IDs in conflict\n");

  const auto j = nlohmann::json::parse(run({"ids", "--json"}, 0, {mod}));
  EXPECT_EQ(j["weapons"][1], (nlohmann::json{{"name", "NONE"}, {"id", nullptr}, {"file", a}, {"line", 5}}));
  EXPECT_EQ(j["weapons"][4]["id"], "1x");
  EXPECT_EQ(j["conflicts"], nlohmann::json::parse(R"([{"id":5,"weapons":[{"name":"GUN","file":)" +
                                                   nlohmann::json(a).dump() + R"(,"line":1},{"name":"LASER","file":)" +
                                                   nlohmann::json(mod).dump() + R"(,"line":2}]}])"));
  EXPECT_EQ(j["free"].size(), 254u);
  EXPECT_EQ(j["free"][0], 1);
}

TEST_F(GameFolderTest, ArchivedFilesCountOnceAndDamagedArchivesAreNamed) {
  const std::string loose = dir.Write("weapons/a.tdf", "[GUN]\n{\nID=5;\n}\n").make_preferred().string();
  dir.Write("rev31.gp3", test::WriteArchive({{"weapons/A.TDF", "[GUN]\n{\nID=9;\n}\n"},
                                             {"weapons/b.tdf", "// mod\n[LASER]\n{\nID=5;\nID=6;\n}\n"},
                                             {"units/c.tdf", "[UNIT]\n{\nID=5;\n}\n"}})
                             .bytes);
  dir.Write("bad.hpi", "not an archive");
  const std::string archived = (dir.path() / "rev31.gp3").string() + "/weapons/b.tdf";

  EXPECT_EQ(run({"ids"}, 0), "5\tGUN\t" + loose + ":1\n6\tLASER\t" + archived +
                                 ":2\n2 weapons, 2 IDs used, 254 IDs free, 0 IDs in conflict\n");
  EXPECT_NE(errors.find("bad.hpi"), std::string::npos) << errors;
  // The later ID line counts; with it gone the two weapons share ID 5.
  const std::string lint = run({"lint", archived, "--json"}, 0);
  EXPECT_NE(lint.find("\"duplicate-key\""), std::string::npos) << lint;
  dir.Write("rev31.gp3", test::WriteArchive({{"weapons/b.tdf", "[LASER]\n{\nID=5;\n}\n"}}).bytes);
  const std::string out = run({"lint"}, 1);
  EXPECT_TRUE(out.starts_with((dir.path() / "bad.hpi").string() + ":0:0: error: cannot read the file: ")) << out;
  EXPECT_TRUE(out.ends_with("\n" + archived + ":3:1: error: the ID 5 of '[LASER]' is also the ID of '[GUN]' at " +
                            loose + ":1 [id-conflict]\n2 errors, 0 warnings in 3 files\n"))
      << out;
}

TEST_F(GameFolderTest, LintPrintsSortedFindingsAndExitsOnErrors) {
  const std::string b = dir.Write("weapons/b.tdf", "[B]\n{\nID=1;\nreloadtim=2;\n}\n").make_preferred().string();
  const std::string a = dir.Write("weapons/a.tdf", "[A]\n{\nID=1;\n}\n}\n").make_preferred().string();
  EXPECT_EQ(run({"lint"}, 1),
            a + ":5:1: error: '}' with no block open [unmatched-brace]\n" + b +
                ":3:1: error: the ID 1 of '[B]' is also the ID of '[A]' at " + a + ":1 [id-conflict]\n" + b +
                ":4:1: warning: the game does not know the key 'reloadtim'; did you mean 'reloadtime'? [unknown-key]\n"
                "2 errors, 1 warnings in 2 files\n");
  // Only the files given; warnings alone exit 0.
  const auto j = nlohmann::json::parse(run({"lint", b, "--json"}, 0));
  ASSERT_EQ(j["findings"].size(), 1u);
  EXPECT_EQ(j["findings"][0], (nlohmann::json{{"file", b},
                                              {"line", 4},
                                              {"column", 1},
                                              {"severity", "warning"},
                                              {"check", "unknown-key"},
                                              {"message", j["findings"][0]["message"]}}));
  EXPECT_NE(run({"lint", (dir.path() / "none.tdf").string()}, 1).find("cannot read the file"), std::string::npos);
}

// The real mod files: every folder read without a failure, and the weapon
// counts that the corpus notes give for the folders with a known census.
TEST(GameChecksCorpusTest, EveryFolderOfTheCorpus) {
  const std::filesystem::path corpus = QM_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  std::size_t weapons = 0, files = 0;
  for (const auto& folder : std::filesystem::directory_iterator(corpus)) {
    if (!folder.is_directory()) continue;
    std::vector<WeaponFilePtr> set;
    for (const auto& f : std::filesystem::recursive_directory_iterator(folder.path()))
      if (f.is_regular_file()) set.push_back(looseFile(f.path()));
    GameCheck check;
    ASSERT_TRUE(runGameCheck(check, set)) << folder.path();
    weapons += check.weapons().size();
    files += check.fileCount();
    std::ostringstream out, err;
    EXPECT_EQ(runIds(folder.path(), {}, false, out, err), 0);
  }
  EXPECT_EQ(files, 457u);
  EXPECT_EQ(weapons, 3746u);

  std::ostringstream out, err;
  EXPECT_EQ(runIds(corpus / "ota-mirddes", {}, false, out, err), 0);
  EXPECT_TRUE(out.str().ends_with("193 weapons, 193 IDs used, 63 IDs free, 0 IDs in conflict\n")) << out.str();
  out.str("");
  EXPECT_EQ(runIds(corpus / "rota", {}, false, out, err), 0);
  EXPECT_NE(out.str().find("444 weapons, 155 IDs used, 101 IDs free, 68 IDs in conflict\n"), std::string::npos);
}

}  // namespace
}  // namespace qm
