// Standard files missing, and files that cannot be read as standard files and
// as imports: one message names them, nothing else changes, all still works.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "bad_game.h"

namespace qm::badinput {
namespace {

// A damaged archive is named in the same message; archives of its kind that
// are folders or pipes are passed over.
TEST(MissingStandardFiles, OneMessageNamesThemAndTheRestWorks) {
  for (std::size_t gone = 0; gone <= 8; ++gone) {  // each in turn, then all eight
    SCOPED_TRACE(gone < 8 ? kStandardFiles[gone] : "all eight");
    const auto isGone = [gone](std::size_t i) { return gone == i || gone == 8; };
    Game game;
    const Path damaged = game.dir.Write("rev31.gp3", "HAPI");
    ASSERT_EQ(::mkfifo((game.dir.path() / "pipe.ufo").c_str(), 0644), 0);
    std::filesystem::create_directories(game.dir.path() / "folder.ccx");
    std::vector<std::string> listed;
    for (std::size_t i = 0; i < 8; ++i) {
      if (isGone(i)) std::filesystem::remove(game.Standard(i));
      if (!isGone(i)) listed.push_back(StandardEntry(i));
    }
    game.form.rebuildList();
    ASSERT_EQ(game.host.messages.size(), 1u);
    EXPECT_NE(game.host.messages[0].find(damaged.string() + ": damaged archive: too short"), std::string::npos);
    EXPECT_EQ(std::count(game.host.messages[0].begin(), game.host.messages[0].end(), '\n'), 4 + (gone < 8 ? 1 : 8));
    for (std::size_t i = 0; i < 8; ++i)
      EXPECT_EQ(game.host.messages[0].find(kStandardFiles[i]) != std::string::npos, isGone(i))
          << kStandardFiles[i];
    EXPECT_EQ(SortedTexts(game.form.weaponList()), listed);
    EXPECT_EQ(game.form.countLine(), CountLine(static_cast<long>(listed.size())));
    game.ExpectUsable(listed.empty() ? std::nullopt : std::optional<std::size_t>((gone + 1) % 8));
  }
}

struct BlockerCase {
  const char* what;
  void (*make)(const Path& at);  // puts there something that cannot be read
  const char* reason;            // what the message says went wrong
  const char* skip;              // why it cannot be made to fail here
};
void PrintTo(const BlockerCase& c, std::ostream* os) { *os << c.what; }

const BlockerCase kBlockers[] = {
    {"folder", [](const Path& at) { std::filesystem::create_directories(at / "inner"); }, "not a regular file", nullptr},
    {"fifo", [](const Path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0); }, "not a regular file", nullptr},
    {"no_permission", [](const Path& at) { std::ofstream{at}, Chmod(at, 0); }, "Permission denied",
     RunningAsRoot() ? "running as root, where permissions do not stop reading; the other cases cover it" : nullptr},
    // Opens, but every read at its start fails.
    {"read_error", [](const Path& at) { std::filesystem::create_symlink("/proc/self/mem", at); }, "Input/output error",
     std::filesystem::exists("/proc/self/mem") ? nullptr : "no /proc/self/mem here"},
};

class UnreadableFile : public ::testing::TestWithParam<BlockerCase> {};

// As a standard file, then as an import into the first slot and as the
// sixteenth file: named, no question asked, no slot taken, nothing listed.
TEST_P(UnreadableFile, IsNamedAndChangesNothing) {
  if (GetParam().skip) GTEST_SKIP() << GetParam().skip;
  Game game;
  const Path chosen = game.dir.path() / "chosen.tdf";
  std::filesystem::remove(game.Standard(0));
  GetParam().make(game.Standard(0));
  GetParam().make(chosen);
  game.form.rebuildList();
  ASSERT_EQ(game.host.messages.size(), 1u);
  const std::string reason = std::string(": ") + GetParam().reason + "\n";
  EXPECT_NE(game.host.messages[0].find(game.Standard(0).string() + reason), std::string::npos);
  EXPECT_EQ(game.form.countLine(), CountLine(7));

  for (std::size_t filled : {std::size_t{0}, std::size_t{kImportSlots}}) {
    while (game.form.imports().size() < filled)
      game.form.addImport(game.dir.Write("x" + std::to_string(game.form.imports().size()) + ".tdf", "").string());
    const std::string count = game.form.countLine();
    const std::size_t messages = game.host.messages.size();
    EXPECT_FALSE(game.form.addImport(chosen.string()));
    ASSERT_EQ(game.host.messages.size(), messages + 1);
    EXPECT_EQ(game.host.buttons.back(), Buttons::Ok);
    EXPECT_NE(game.host.messages.back().find(chosen.string() + reason), std::string::npos);
    EXPECT_EQ(game.form.imports().size(), filled);
    EXPECT_EQ(game.form.countLine(), count);
    if (filled == 0) game.ExpectUsable(7);  // a search passes over the standard file without a message
  }
}

INSTANTIATE_TEST_SUITE_P(Each, UnreadableFile, ::testing::ValuesIn(kBlockers),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace qm::badinput
