// quillmark-cli: its commands, outputs and exit codes.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "cli_run.h"
#include "platform/path_text.h"
#include "test_support.h"

namespace qm {
namespace {

using test::cli;
using test::CliRun;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::writeGame(dir_, {{"cannons.tdf", "[GUN]\n\t{\n\tid=12;\n\t[DAMAGE]\n\t\t{\n\t\tdefault=50;\n\t\t}\n\t}\n"}});
  }
  std::string game() const { return platform::utf8Of(dir_.path()); }
  test::TempDir dir_;
};

// The golden file holds what show prints; here the choice of the weapon, by
// name in any letter case or by index, the imports searched after the
// standard files (the last block found wins, also when a later import lacks
// the weapon). A name is UTF-8, or Windows-1252 bytes as a Windows console
// passes them. show NAME, which builds no list, warns as the list does, in
// the same order.
TEST_F(CliTest, ListAndShow) {
  const auto rockets = dir_.path() / "weapons" / "rockets.tdf";
  std::filesystem::remove(rockets);
  std::filesystem::create_directory(rockets);
  const auto later = dir_.write("later.tdf", "[gun]\n{\nid=13;\n[DAMAGE]\n{\ndefault=9;\n}\n}\n");
  const auto last = dir_.write("last.tdf",
                               "[\xC9"
                               "CLAIR]\n{\nid=14;\n[DAMAGE]\n{\ndefault=8;\n}\n}\n");
  dir_.write("broken.hpi", "not an archive");
  const auto run = [&](std::vector<std::string> command) {
    std::vector<std::string> args = {"--game",   game(),
                                     "--import", "none.tdf",
                                     "--import", platform::utf8Of(later),
                                     "--import", platform::utf8Of(last)};
    args.insert(args.end(), command.begin(), command.end());
    return cli(args);
  };
  const CliRun list = run({"list"});
  EXPECT_EQ(list.out, " 12 - GUN\n 13 - gun\n 14 - \u00C9CLAIR\n3 Weapons, 253 IDs available\n");
  const std::size_t archive = list.err.find("broken.hpi"), standard = list.err.find(platform::utf8Of(rockets)),
                    none = list.err.find("none.tdf");
  EXPECT_TRUE(archive < standard && standard < none && none != std::string::npos) << list.err;

  const CliRun byName = run({"show", "Gun"}), byIndex = run({"show", "--index", "1"});
  EXPECT_NE(byName.out.find("[DAMAGE]\n  default=9\nShake Magnitude:"), std::string::npos) << byName.out;
  EXPECT_EQ(byIndex.out, byName.out);
  EXPECT_EQ(byName.err, list.err);
  for (const char* accented : {"\u00C9clair",
                               "\xC9"
                               "CLAIR"}) {
    const CliRun r = run({"show", accented});
    EXPECT_NE(r.out.find("[DAMAGE]\n  default=8\n"), std::string::npos) << accented << ": " << r.err;
  }
  const CliRun missing = run({"show", "NOPE"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, list.err + "Weapon not found!\n");
  // The game checks skip a missing import with the same warning.
  EXPECT_NE(run({"ids"}).err.find("warning: no file at none.tdf, not imported\n"), std::string::npos);
}

// The errors: a refused export exits 1; the usage errors exit 2, with the
// message and the usage text; the last import allowed is not one.
TEST_F(CliTest, ExitStatusAndMessages) {
  const std::string cannons = platform::utf8Of(dir_.path() / "weapons" / "cannons.tdf");
  std::vector<std::string> fifteen;
  for (int i = 0; i < 15; ++i) fifteen.insert(fifteen.end(), {"--import", "x.tdf"});
  std::vector<std::string> sixteen = fifteen;
  sixteen.insert(sixteen.end(), {"--import", "x.tdf", "list"});
  fifteen.insert(fifteen.end(), {"--game", game(), "list"});
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;  // a part of standard error
  } rows[] = {
      {{"--game", game(), "frobnicate"}, 2, "unknown command frobnicate"},
      {{"show"}, 2, "show needs NAME or --index N"},
      {{"--game", game(), "show", "--index", "1"}, 2, "no list entry at index 1"},
      {{"list", "--bogus"}, 2, "--bogus"},
      {sixteen, 2, "at most 15 files can be imported"},
      {fifteen, 0, "warning: no file at x.tdf, not imported\n"},
      {{"--game", platform::utf8Of(dir_.path() / "weapons"), "lint"}, 2, "holds no game"},
      {{"--game", game(), "lint", "--only", "missing-id,bogus"}, 2, "no check named bogus"},
      {{"--game", game(), "lint", "--list-checks", "--only", "bogus"}, 2, "no check named bogus"},
      {{"--game", game(), "export", "GUN", "--actual-name", "a", "--name", "b", "--id", "x", "--out", "c"},
       1,
       "To export weapon a number must be entered for a weapon ID!\n"},
      {{"--game", game(), "export", "GUN", "--actual-name", "a", "--name", "b", "--id", "7", "--out", cannons},
       1,
       "File already exists! Do you wish to overwrite?\n"},
  };
  for (const auto& row : rows) {
    const CliRun r = cli(row.args);
    const std::string& what = row.args.back();
    EXPECT_EQ(r.status, row.status) << what << ": " << r.err;
    EXPECT_NE(r.err.find(row.err), std::string::npos) << what << ": " << r.err;
    EXPECT_EQ(r.err.find("usage: quillmark-cli [--game DIR]") != std::string::npos, row.status == 2) << what;
  }
}

// lint's choice of checks: display checks only when named, --errors hiding
// warnings but not from the summary, the list of checks.
TEST_F(CliTest, LintChoosesChecks) {
  dir_.write("weapons/fires.tdf", "[ODD] // x\n{\nid=3;\nreloadtim=1;\n[DAMAGE]\n{\ndefault=1;\n}\n}\n");
  const struct {
    std::vector<std::string> args;
    std::string present, absent;
  } rows[] = {
      {{}, "[unknown-key]\n0 errors, 1 warnings in 8 files (engine: original)\n", "[text-after-header]"},
      {{"--only", "text-after-header"}, "[text-after-header]\n0 errors, 1 warnings", "[unknown-key]"},
      {{"--errors", "--engine", "original"}, "0 errors, 1 warnings in 8 files\n", "[unknown-key]"},
      {{"--disable", "unknown-key,missing-damage"}, "0 errors, 0 warnings", "[unknown-key]"},
      {{"--list-checks"}, "\ntext-after-header\twarning\tdisplay\t", "errors,"},
  };
  for (const auto& row : rows) {
    std::vector<std::string> args = {"--game", game(), "lint"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const CliRun r = cli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(row.present), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(row.absent), std::string::npos) << r.out;
  }
}

// --all-weapon-files: the list, and so show, read every weapon file of the
// game's weapons folder (hidden ones left out), not only the standard eight.
TEST_F(CliTest, AllWeaponFiles) {
  dir_.write("weapons/Armah_weapon.tdf", "[EXTRA]\n{\nid=200;\n}\n");
  dir_.write("weapons/.old.tdf", "[OLD]\n{\nid=201;\n}\n");
  EXPECT_EQ(cli({"--game", game(), "list"}).out, " 12 - GUN\n1 Weapons, 255 IDs available\n");
  EXPECT_EQ(cli({"--game", game(), "--all-weapon-files", "list"}).out,
            " 12 - GUN\n200 - EXTRA\n2 Weapons, 254 IDs available\n");
  EXPECT_EQ(cli({"--game", game(), "show", "EXTRA"}).status, 1);
  EXPECT_EQ(cli({"--game", game(), "show", "EXTRA", "--all-weapon-files"}).status, 0);
}

// --overwrite replaces a file, and no extension is added; the golden file
// holds the bytes written.
TEST_F(CliTest, ExportOverwrites) {
  const auto out = dir_.write("copy", "old");
  const CliRun r = cli({"--game", game(), "export", "GUN", "--actual-name", "copy", "--name", "Copy", "--id", "7",
                        "--out", platform::utf8Of(out), "--overwrite"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(test::readFile(out).find("\tid=7;\r\n"), std::string::npos);
}

// An export whose ID another weapon holds is written, exits 0, and says so
// on standard error.
TEST_F(CliTest, ExportWarnsOfAnIdClash) {
  const auto out = dir_.path() / "copy.tdf";
  const CliRun r = cli({"--game", game(), "export", "GUN", "--actual-name", "COPY", "--name", "Copy", "--id", "12",
                        "--out", platform::utf8Of(out)});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(test::readFile(out).find("\tid=12;\r\n"), std::string::npos);
  EXPECT_NE(r.err.find("copy.tdf:"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("[GUN]"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qm
