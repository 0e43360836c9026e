// The unit checks of `lint`, by engine, over small games; and their counts
// over every mod of the corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "cli/cli.h"
#include "cli_run.h"
#include "platform/path_text.h"
#include "test_support.h"
#include "text/text.h"
#include "unit/unit_checks.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

std::string unitFile(const std::string& lines) { return "[UNITINFO]\n{\n" + lines + "}\n"; }

// `lint` of the unit checks over a game of two weapons (with IDs for the
// original engine) and the given files; the findings with the game's folder
// left out of the names.
std::vector<std::string> lintUnits(const char* engine, const std::map<std::string, std::string>& files) {
  test::TempDir dir;
  test::writeGame(dir, {{"cannons.tdf", "[GUN]\n{\nid=1;\n[DAMAGE]\n{\ndefault=5;\n}\n}\n"}});
  dir.write("objects3d/tank.3do", "x");
  for (const auto& [path, bytes] : files) dir.write(path, bytes);
  std::vector<std::string> lines;
  const char* checks = "not-a-number,duplicate-unit,unit-number-conflict,unit-name-mismatch,missing-model,unknown-key";
  std::istringstream text(test::cli({"lint", "--engine", engine, "--only", checks}, dir.path()).out);
  const std::string prefix = platform::utf8Of(dir.path()) + "/";
  for (std::string line; std::getline(text, line);) {
    if (!line.starts_with(prefix)) continue;
    for (std::size_t at; (at = line.find(prefix)) != std::string::npos;) line.erase(at, prefix.size());
    lines.push_back(line);
  }
  return lines;
}

TEST(UnitChecksTest, LintFindsByEngine) {
  const std::string plain = unitFile("\tUnitName=ARMA;\n\tObjectname=tank;\n");
  const struct {
    const char* what;
    const char* engine;
    std::map<std::string, std::string> files;
    std::vector<std::string> findings;
  } cases[] = {
      {"numbers, flags and texts as each engine reads them",
       "original",
       {{"units/arma.fbi", unitFile("UnitName=ARMA;\nBuildCostMetal=lots;\nMaxDamage=1.5e3;\nBuilder=1;\n"
                                    "Side=12abc;\nBuildTime=;\nSightDistance=1400//1276;\nMaxVelocity=0x10;\n")}},
       {"units/arma.fbi:4:1: error: the value 'lots' of 'BuildCostMetal' is not a number [not-a-number]",
        "units/arma.fbi:9:1: error: the value '1400//1276' of 'SightDistance' is not a number [not-a-number]",
        "units/arma.fbi:10:1: error: the value '0x10' of 'MaxVelocity' is not a number [not-a-number]"}},
      {"the later engine takes hexadecimal numbers, and true for a flag",
       "later",
       {{"units/arma.fbi", unitFile("BuildCostMetal=12abc;\nMaxVelocity=0x10;\nBuilder=true;\nCanFly=yes;\n")}},
       {"units/arma.fbi:3:1: error: the value '12abc' of 'BuildCostMetal' is not a number [not-a-number]",
        "units/arma.fbi:6:1: error: the value 'yes' of 'CanFly' is not a number [not-a-number]"}},
      {"a misspelling at its line, other keys once with their count, the later engine's keys as such",
       "original",
       {{"units/arma.fbi", unitFile("UnitName=ARMA;\n  BuildCostMetl=5;\nMyKey=1;\nWeapon4=GUN;\n")},
        {"units/armb.fbi", unitFile("UnitName=ARMB;\nmykey=2;\n[CUSTOMPARAMS]\n{\nanything=1;\n}\n")}},
       {"units/arma.fbi:4:3: warning: the game does not know the key 'BuildCostMetl'; did you mean "
        "'BuildCostMetal'? [unknown-key]",
        "units/arma.fbi:5:1: warning: the original engine does not read the unit key 'MyKey'; it is used on 2 "
        "lines, the first is here [unknown-key]",
        "units/arma.fbi:6:1: warning: the original engine does not read the unit key 'Weapon4' (only the later "
        "engine does) [unknown-key]"}},
      {"the later engine's own keys, a misspelling of one, and one only the original reads",
       "later",
       {{"units/arma.fbi", unitFile("Weapon17=GUN;\nCollisionVolumeType=box;\nmaxdamage=5;\nbuildcostmetl=1;\n"
                                    "YardMap=oo\n  oo;\ndescription=[AP];\nTEDClass=TANK;\ncanbetransported=1;\n")}},
       {"units/arma.fbi:6:1: warning: the game does not know the key 'buildcostmetl'; did you mean "
        "'buildcostmetal'? [unknown-key]",
        "units/arma.fbi:10:1: warning: the later engine does not read the unit key 'TEDClass' (only the original "
        "engine does) [unknown-key]",
        "units/arma.fbi:11:1: warning: the later engine does not read the unit key 'canbetransported' "
        "[unknown-key]"}},
      {"two files of one name: the later file counts; the name that differs from the file's",
       "original",
       {{"units/arma.fbi", plain}, {"units/armb.fbi", plain}},
       {"units/armb.fbi:3:2: warning: the UnitName 'ARMA' differs from the file's name 'armb': the game names the "
        "unit 'ARMA' [unit-name-mismatch]",
        "units/armb.fbi:3:2: error: the unit 'ARMA' is defined again: the game takes this file and drops the one "
        "at units/arma.fbi:3 [duplicate-unit]"}},
      {"the later engine names units by their files",
       "later",
       {{"units/arma.fbi", plain}, {"units/armb.fbi", plain}},
       {"units/armb.fbi:3:2: warning: the UnitName 'ARMA' differs from the file's name 'armb': the later engine "
        "ignores it and names the unit 'armb' [unit-name-mismatch]"}},
      {"two units on one number; one name twice is no conflict",
       "original",
       {{"units/arma.fbi", unitFile("UnitName=ARMA;\nUnitNumber=7;\n")},
        {"units/armb.fbi", unitFile("UnitName=ARMB;\nUnitNumber= 7 ;\n")},
        {"units/armc.fbi", unitFile("UnitName=ARMC;\nUnitNumber=8;\n")},
        {"units/armd.fbi", unitFile("UnitName=ARMD;\nUnitNumber=9;\n")},
        {"units/armd2.fbi", unitFile("UnitName=ARMD;\nUnitNumber=9;\n")}},
       {"units/armb.fbi:4:1: warning: the unit number '7' of 'ARMB' is also the number of 'ARMA' at "
        "units/arma.fbi:4 [unit-number-conflict]",
        "units/armd2.fbi:3:1: warning: the UnitName 'ARMD' differs from the file's name 'armd2': the game names "
        "the unit 'ARMD' [unit-name-mismatch]",
        "units/armd2.fbi:3:1: error: the unit 'ARMD' is defined again: the game takes this file and drops the one "
        "at units/armd.fbi:3 [duplicate-unit]"}},
      {"the later engine has no unit numbers",
       "later",
       {{"units/arma.fbi", unitFile("UnitNumber=7;\n")}, {"units/armb.fbi", unitFile("UnitNumber=7;\n")}},
       {"units/arma.fbi:3:1: warning: the later engine does not read the unit key 'UnitNumber' (only the original "
        "engine does); it is used on 2 lines, the first is here [unknown-key]"}},
      {"a model the game lacks; a name of another case is the same",
       "original",
       {{"units/arma.fbi", unitFile("UnitName=arma;\nObjectname=Tank;\n")},
        {"units/armb.fbi", unitFile("UnitName=ARMB;\nObjectname=truck;\n")}},
       {"units/armb.fbi:4:1: warning: the unit 'ARMB' names the model 'truck', which the game does not have "
        "[missing-model]"}},
  };
  for (const auto& c : cases) EXPECT_EQ(lintUnits(c.engine, c.files), c.findings) << c.what;
}

// The unit checks' counts over each mod of the corpus, for the engine its
// weapons decide. Each was looked at: values such as "1400//1276" and
// "1=100", misspellings such as flareefficieny, UnitNames left from a copied
// file, numbers two units share (in the original game's own files too), and
// keys of the other engine; the AI hints ("limit ARMFLAK 20") and multi-line
// YardMaps give none. Noise creeping back in shows here.
TEST(UnitChecksTest, CorpusCounts) {
  const fs::path corpus = QM_CORPUS_DIR;
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  const struct {
    const char* mod;
    Engine engine;
    std::string counts;
  } rows[] = {
      {"ota-mirddes", Engine::Original, "unit-number-conflict=8"},
      {"tae-mirddes", Engine::Original, "unit-number-conflict=153 unknown-key=6"},
      {"mayhem-mirddes", Engine::Original, "unit-number-conflict=57 unknown-key=8"},
      {"ta-redux", Engine::Original, "unknown-key=3"},
      {"xubor", Engine::Original, "unknown-key=8"},
      {"rota", Engine::Later, "not-a-number=3 unit-name-mismatch=3 unknown-key=73"},
      {"xta-2011", Engine::Later, "not-a-number=1 unit-name-mismatch=6 unknown-key=81"},
      {"war-machines", Engine::Later, "unknown-key=47"},
      {"air-raid-spring", Engine::Later, "unit-name-mismatch=1 unknown-key=10"},
  };
  for (const auto& row : rows) {
    std::vector<fs::path> paths;
    for (const auto& f : fs::recursive_directory_iterator(corpus / row.mod))
      if (f.is_regular_file() && toLower(f.path().extension().string()) == ".fbi") paths.push_back(f.path());
    std::sort(paths.begin(), paths.end());
    std::vector<WeaponFilePtr> files;
    for (const auto& p : paths) files.push_back(looseFile(p));
    const GameUnits units(files, row.engine);
    std::map<std::string_view, int> perCheck;
    for (const Finding& f : UnitChecks(row.engine).check(units)) ++perCheck[f.check];
    std::string counts;
    for (const auto& [name, n] : perCheck)
      counts.append(counts.empty() ? "" : " ").append(name).append("=").append(std::to_string(n));
    EXPECT_EQ(counts, row.counts) << row.mod;
  }
}

}  // namespace
}  // namespace qm
