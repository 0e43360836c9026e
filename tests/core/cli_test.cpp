// quillmark-cli: its commands, outputs and exit codes.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "cli/command.h"
#include "test_support.h"

namespace qm {
namespace {

struct CliRun {
  int status;
  std::string out, err;
};

CliRun Cli(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteGame(dir, {{"cannons.tdf", "[GUN]\n\t{\n\tid=12;\n\tname=Big \"Gun\"\xe9;\n\tballistic=1;\n\tedgeeffectiveness=0.07;\n"
                                     "\t[DAMAGE]\n\t\t{\n\t\tdefault=50;\n\t\tCORLLT=20;\n\t\t}\n\t}\n"}});
  }
  std::string game() const { return dir.path().string(); }
  test::TempDir dir;
};

// The captions and values of every row are held by the golden file; here
// the choice of the weapon: by name in any case or by index, the imports
// searched after the standard files (the last block found wins), or none.
TEST_F(CliTest, ListAndShow) {
  CliRun r = Cli({"--game", game(), "list"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, " 12 - GUN\n1 Weapons, 255 IDs available\n");

  const auto import = dir.Write("import.tdf", "[GUN]\n{\nid=13;\nballistic=0;\n}\n").string();
  const struct {
    std::vector<std::string> args;
    std::string part;
  } rows[] = {
      {{"show", "--index", "0", "--actual", "--json"}, "{\"field\": 29, \"caption\": \"ballistic =\", \"value\": \"1\"}"},
      {{"show", "gun"}, "  CORLLT=20\nShake Magnitude:"},
      {{"--import", import, "show", "GUN", "--actual"}, "ballistic =           0\n"},
  };
  for (const auto& row : rows) {
    std::vector<std::string> args = {"--game", game()};
    args.insert(args.end(), row.args.begin(), row.args.end());
    r = Cli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(row.part), std::string::npos) << row.part << " in\n" << r.out;
  }

  r = Cli({"--game", game(), "show", "NOPE"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Weapon not found!\n");
}

// show NAME searches the files without building the list; what it prints,
// warnings and their order included, is what the window with its list gives.
TEST_F(CliTest, ShowByNameAsAfterTheList) {
  const auto rockets = dir.path() / "weapons" / "rockets.tdf";
  std::filesystem::remove(rockets);
  std::filesystem::create_directory(rockets);
  const auto folder = dir.path() / "folder.tdf";
  std::filesystem::create_directory(folder);
  const auto later = dir.Write("later.tdf", "[gun]\n{\nid=13;\nrange=9;\n}\n");
  dir.Write("broken.hpi", "not an archive");
  const auto run = [&](std::vector<std::string> command) {
    std::vector<std::string> args = {"--game", game(), "--import", "none.tdf", "--import", folder.string(),
                                     "--import", later.string()};
    args.insert(args.end(), command.begin(), command.end());
    return Cli(args);
  };
  const CliRun list = run({"list"});
  ASSERT_EQ(list.out.substr(0, 20), " 12 - GUN\n 13 - gun\n");
  const std::size_t archive = list.err.find("broken.hpi"), standard = list.err.find(rockets.string()),
                    none = list.err.find("none.tdf"), unreadable = list.err.find(folder.string());
  EXPECT_TRUE(archive < standard && standard < none && none < unreadable && unreadable != std::string::npos)
      << list.err;

  const CliRun byName = run({"show", "GUN", "--json"}), byIndex = run({"show", "--index", "1", "--json"});
  EXPECT_EQ(byName.status, 0);
  EXPECT_EQ(byName.out, byIndex.out);
  EXPECT_NE(byName.out.find("\"value\": \"9\""), std::string::npos);  // the import's block, found last
  EXPECT_EQ(byName.err, list.err);
  EXPECT_EQ(byIndex.err, list.err);
  EXPECT_EQ(run({"show", "NOPE"}).err, list.err + "Weapon not found!\n");
}

// Every outcome but a weapon's: help, version, describe, and the usage
// errors, which exit 2 with the message and the usage text.
TEST_F(CliTest, ExitStatusAndMessages) {
  std::vector<std::string> sixteen;
  for (int i = 0; i < 16; ++i) sixteen.insert(sixteen.end(), {"--import", "x.tdf"});
  sixteen.push_back("list");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;  // the start of standard output, and a part of standard error
  } rows[] = {
      {{"describe", "14"}, 0, "aimrate\nI think that this is only used by the unit viewer", ""},
      {{"--version"}, 0, "quillmark-cli 1.", ""},
      {{"show", "--help"}, 0, "Prints a weapon as the window shows it\nUsage: quillmark-cli show", ""},
      {{"--game", game(), "list", "--import", "none.tdf"}, 0, " 12 - GUN\n", "warning: no file at none.tdf"},
      {{"describe", "0"}, 2, "", "FIELD must be a field number from 1 to 66"},
      {{"describe", "4294967310"}, 2, "", "FIELD must be"},
      {{"describe", "x"}, 2, "", "FIELD must be"},
      {{}, 2, "", "no command given"},
      {{"--game", game(), "frobnicate"}, 2, "", "unknown command frobnicate"},
      {{"show"}, 2, "", "show needs NAME or --index N"},
      {{"--game", game(), "show", "GUN", "--index", "0"}, 2, "", "excludes"},
      {{"--game", game(), "show", "--index", "1"}, 2, "", "no list entry at index 1"},
      {{"--game", game(), "show", "--index", "x"}, 2, "", "--index needs a whole number"},
      {{"list", "--bogus"}, 2, "", "--bogus"},
      {{"export", "GUN", "--name", "x"}, 2, "", "--actual-name is required"},
      {sixteen, 2, "", "at most 15 files can be imported"},
      {{"--game"}, 2, "", "--game"},
  };
  for (const auto& row : rows) {
    const CliRun r = Cli(row.args);
    const std::string what = row.args.empty() ? "(nothing)" : row.args.back();
    EXPECT_EQ(r.status, row.status) << what << ": " << r.err;
    EXPECT_EQ(r.out.substr(0, row.out.size()), row.out) << what;
    EXPECT_NE(r.err.find(row.err), std::string::npos) << what << ": " << r.err;
    EXPECT_EQ(r.err.find("usage: quillmark-cli [--game DIR]") != std::string::npos, row.status == 2) << what;
  }
}

// The JSON layout of every command: the outer object a member a line, arrays
// of objects an element a line, the rest on one line; strings escaped.
TEST(CliJson, Layout) {
  using J = nlohmann::ordered_json;
  const struct {
    J value;
    std::string text;
  } rows[] = {
      {J{{"a", 1}, {"b", J::array()}, {"c", {"x\"y", "\\\n\t\x01/\xc3\xa9"}}},
       "{\n  \"a\": 1,\n  \"b\": [],\n  \"c\": [\"x\\\"y\", \"\\\\\\n\\t\\u0001/\xc3\xa9\"]\n}\n"},
      {J{{"rows", {J{{"f", 1}, {"v", "a"}}, J{{"f", 2}, {"v", {1, 2}}}}}},
       "{\n  \"rows\": [\n    {\"f\": 1, \"v\": \"a\"},\n    {\"f\": 2, \"v\": [1, 2]}\n  ]\n}\n"},
      {J::object(), "{}\n"},
  };
  for (const auto& row : rows) {
    std::ostringstream out;
    writeJson(out, row.value);
    EXPECT_EQ(out.str(), row.text);
  }
}

TEST_F(CliTest, Export) {
  const auto out = dir.path() / "new.tdf";
  auto args = [&](const char* id, bool overwrite = false) {
    std::vector<std::string> a = {"--game", game(), "export", "GUN", "--actual-name", "copy", "--name", "Copy",
                                  "--id", id, "--out", out.string()};
    if (overwrite) a.push_back("--overwrite");
    return a;
  };
  CliRun r = Cli(args("abc"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "To export weapon a number must be entered for a weapon ID!\n");
  EXPECT_FALSE(std::filesystem::exists(out));

  r = Cli(args("7"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(test::ReadFile(out).find("[COPY]\r\n\t{\r\n\tid=7;\r\n\tname=Copy;\r\n"), std::string::npos);

  r = Cli(args("8"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "File already exists! Do you wish to overwrite?\n");
  EXPECT_NE(test::ReadFile(out).find("id=7;"), std::string::npos);

  r = Cli(args("8", true));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(test::ReadFile(out).find("id=8;"), std::string::npos);

  // The exported file reads back as an extra file; a missing standard file
  // and a missing import are warnings, one line each.
  std::filesystem::remove(dir.path() / "weapons" / "rockets.tdf");
  r = Cli({"--game", game(), "--import", out.string(), "--import", "none.tdf", "show", "COPY", "--actual", "--json"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\"damage\": [\"default=50\", \"CORLLT=20\"]"), std::string::npos);
  EXPECT_NE(r.err.find("rockets.tdf"), std::string::npos);
  EXPECT_NE(r.err.find("none.tdf"), std::string::npos);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2);
}

// Every folder of the corpus of real mod files, as a game and as imports:
// the scan and every load finish without failure.
TEST(CliCorpus, RealModFoldersNeverFail) {
  const std::filesystem::path corpus = QM_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  for (const auto& game : std::filesystem::directory_iterator(corpus)) {
    if (!game.is_directory()) continue;
    std::vector<std::string> args = {"--game", game.path().string()};
    int imports = 0;
    for (const auto& f : std::filesystem::recursive_directory_iterator(game.path()))
      if (f.is_regular_file() && imports < 15) args.insert(args.end(), {"--import", f.path().string()}), ++imports;
    std::vector<std::string> list = args;
    list.push_back("list");
    CliRun r = Cli(list);
    ASSERT_EQ(r.status, 0) << game.path() << r.err;
    const long entries = std::count(r.out.begin(), r.out.end(), '\n') - 1;
    for (long i = 0; i < entries; i += 7) {
      std::vector<std::string> show = args;
      show.insert(show.end(), {"show", "--index", std::to_string(i), "--json"});
      CliRun s = Cli(show);
      EXPECT_TRUE(s.status == 0 || s.err.find("Weapon not found!") != std::string::npos) << game.path() << " " << i;
    }
  }
}

}  // namespace
}  // namespace qm
