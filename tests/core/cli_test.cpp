// quillmark-cli: its commands, outputs and exit codes.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
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

TEST_F(CliTest, ListAndShow) {
  CliRun r = Cli({"--game", game(), "list"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, " 12 - GUN\n1 Weapons, 255 IDs available\n");

  r = Cli({"--game", game(), "show", "GUN", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"mode\": \"viewing\""), std::string::npos);
  EXPECT_NE(r.out.find("{\"field\": 1, \"caption\": \"Name:\", \"value\": \"Big \\\"Gun\\\"\xc3\xa9\"}"), std::string::npos);
  EXPECT_NE(r.out.find("{\"field\": 2, \"caption\": \"Actual Name:\", \"value\": \"GUN\"}"), std::string::npos);
  EXPECT_NE(r.out.find("{\"field\": 62, \"caption\": \"Edge Power:\", \"value\": \"7%\"}"), std::string::npos);
  EXPECT_NE(r.out.find("\"damage\": [\"default=50\", \"CORLLT=20\"]"), std::string::npos);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '{'), 66);  // the object and 65 rows

  r = Cli({"--game", game(), "show", "--index", "0", "--actual", "--json"});
  EXPECT_NE(r.out.find("{\"field\": 29, \"caption\": \"ballistic =\", \"value\": \"1\"}"), std::string::npos);
  EXPECT_NE(r.out.find("{\"field\": 62, \"caption\": \"edgeeffectiveness =\", \"value\": \"0.07\"}"),
            std::string::npos);

  r = Cli({"--game", game(), "show", "gun"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Ballistic:"), std::string::npos);
  EXPECT_NE(r.out.find("  CORLLT=20\n"), std::string::npos);

  r = Cli({"--game", game(), "show", "NOPE"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Weapon not found!\n");
}

TEST_F(CliTest, DescribeAndUsageErrors) {
  CliRun r = Cli({"describe", "14"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "aimrate\nI think that this is only used by the unit viewer and is otherwise un-important\n");
  std::vector<std::string> sixteen;
  for (int i = 0; i < 16; ++i) sixteen.insert(sixteen.end(), {"--import", "x.tdf"});
  sixteen.push_back("list");
  const std::vector<std::vector<std::string>> usage = {
      {"describe", "0"}, {"describe", "67"}, {"describe", "x"}, {}, {"frobnicate"}, {"show"},
      {"--game", game(), "show", "--index", "5"}, {"--game", game(), "show", "--index", "x"},
      {"list", "--bogus"}, {"export", "GUN", "--name", "x"}, sixteen, {"--game"},
  };
  for (const auto& args : usage) {
    r = Cli(args);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
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
