// Weapon files that are missing, unreadable, broken or huge, as standard
// files and as imports: every case ends with one clear message at most, the
// weapons that can be read are all listed and load, and the window stays
// usable.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "bad_game.h"

namespace qm::badinput {
namespace {

// ---------------------------------------------------------------------------
// Standard files missing

struct MissingCase {
  const char* what;
  std::vector<std::size_t> missing;  // indices of the standard files removed
  bool folderGone = false;           // the whole weapons folder removed
  bool folderIsAFile = false;        // ... and a file of that name in its place
};
void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.what; }

class MissingStandardFiles : public ::testing::TestWithParam<MissingCase> {};

TEST_P(MissingStandardFiles, OneMessageNamesThemAndTheRestWorks) {
  const MissingCase& c = GetParam();
  Game game;
  if (c.folderGone) {
    std::filesystem::remove_all(game.dir.path() / "weapons");
    if (c.folderIsAFile) game.dir.Write("weapons", StandardBlock(0));
  } else {
    for (std::size_t i : c.missing) std::filesystem::remove(game.Standard(i));
  }

  game.form.Form_Load();

  ASSERT_EQ(game.host.messages.size(), 1u);
  const std::string& text = game.host.messages[0].text;
  EXPECT_EQ(game.host.messages[0].buttons, Buttons::Ok);
  std::vector<std::string> listed;
  std::optional<std::size_t> readable;  // a standard file still there
  for (std::size_t i = 0; i < kStandardFiles.size(); ++i) {
    const bool gone = c.folderGone || std::find(c.missing.begin(), c.missing.end(), i) != c.missing.end();
    EXPECT_EQ(text.find(std::string(kStandardFiles[i])) != std::string::npos, gone) << kStandardFiles[i];
    if (gone) continue;
    listed.push_back("  " + std::to_string(i + 1) + " - " + StandardName(i));
    readable = i;
  }
  EXPECT_EQ(EntryTexts(game.form.Combo1), listed);
  EXPECT_EQ(game.form.WNum, static_cast<long>(listed.size()));
  EXPECT_EQ(game.form.Label1, CountLine(game.form.WNum));
  EXPECT_TRUE(game.form.VMode);

  // Every weapon that is listed loads without a further message.
  for (int i = 0; i < static_cast<int>(game.form.Combo1.size()); ++i) game.form.Combo1_Click(i);
  EXPECT_EQ(game.host.messages.size(), 1u);

  // Imports still work, and their weapons load.
  if (readable) {
    game.ExpectUsable(*readable);
  } else {
    const auto extra = game.dir.Write("only.tdf", "[ONLY]\r\n{\r\nid=9;\r\n}\r\n");
    EXPECT_TRUE(game.form.ImportFile(extra.string()));
    EXPECT_EQ(EntryTexts(game.form.Combo1), std::vector<std::string>{"  9 - ONLY"});
    EXPECT_EQ(game.form.Label1, "1 Weapons, 255 IDs available");
    game.form.Combo1_Click(0);
    EXPECT_EQ(game.form.weapon[Slot::vID], "9");
    EXPECT_EQ(game.host.messages.size(), 1u);
  }
}

std::vector<MissingCase> MissingCases() {
  std::vector<MissingCase> cases;
  static const char* const kEach[] = {"cannons", "fires", "lasers", "meteors", "missiles", "rockets", "units", "weapons"};
  for (std::size_t i = 0; i < 8; ++i) cases.push_back({kEach[i], {i}});
  cases.push_back({"all_eight", {0, 1, 2, 3, 4, 5, 6, 7}});
  cases.push_back({"weapons_folder", {}, true});
  cases.push_back({"weapons_folder_is_a_file", {}, true, true});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Each, MissingStandardFiles, ::testing::ValuesIn(MissingCases()),
                         [](const auto& info) { return std::string(info.param.what); });

// ---------------------------------------------------------------------------
// Something that cannot be read where a file is expected

enum class Blocker { Folder, LinkToFolder, Fifo, Device, NoPermission };

struct BlockerCase {
  const char* what;
  Blocker kind;
};
void PrintTo(const BlockerCase& c, std::ostream* os) { *os << c.what; }

// Puts the blocker at `path` (which does not exist yet).
void MakeBlocker(Blocker kind, const std::filesystem::path& path) {
  switch (kind) {
    case Blocker::Folder:
      std::filesystem::create_directories(path / "inner");
      break;
    case Blocker::LinkToFolder:
      std::filesystem::create_directories(path.parent_path() / "target-folder");
      std::filesystem::create_directory_symlink(path.parent_path() / "target-folder", path);
      break;
    case Blocker::Fifo:
      ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
      break;
    case Blocker::Device:
      std::filesystem::create_symlink("/dev/zero", path);  // endless
      break;
    case Blocker::NoPermission:
      std::ofstream(path) << "[SECRET]\n{\nid=1;\n}\n";
      std::filesystem::permissions(path, std::filesystem::perms::none);
      break;
  }
}

// Runs `action`; a reader stuck opening the fifo at `fifo` is set free after
// a while (by opening the other end), and the test fails.
void WithoutHanging(const std::filesystem::path& fifo, const std::function<void()>& action) {
  std::mutex m;
  std::condition_variable cv;
  bool done = false, rescued = false;
  std::thread rescuer([&] {
    std::unique_lock lock(m);
    if (cv.wait_for(lock, std::chrono::seconds(20), [&] { return done; })) return;
    rescued = true;
    lock.unlock();
    // Open and close the writing end until the reader has let go.
    while (true) {
      const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::lock_guard again(m);
      if (done) break;
    }
  });
  action();
  {
    std::lock_guard lock(m);
    done = true;
  }
  cv.notify_all();
  rescuer.join();
  EXPECT_FALSE(rescued) << "reading " << fifo << " hung";
}

class UnreadableFile : public ::testing::TestWithParam<BlockerCase> {
 protected:
  void SetUp() override {
    if (GetParam().kind == Blocker::NoPermission && RunningAsRoot())
      GTEST_SKIP() << "running as root, where permissions do not stop reading; the folder, link, fifo and device "
                      "cases cover a file that cannot be read";
  }
};

TEST_P(UnreadableFile, AsAStandardFile) {
  Game game;
  const auto path = game.Standard(0);
  std::filesystem::remove(path);
  MakeBlocker(GetParam().kind, path);

  WithoutHanging(path, [&] { game.form.Form_Load(); });
  ASSERT_EQ(game.host.messages.size(), 1u);
  EXPECT_NE(game.host.messages[0].text.find(path.string()), std::string::npos);
  EXPECT_EQ(game.form.WNum, 7);
  EXPECT_EQ(game.form.Label1, "7 Weapons, 249 IDs available");

  // A search passes over it without a message.
  WithoutHanging(path, [&] { game.ExpectUsable(7); });
  WithoutHanging(path, [&] { EXPECT_FALSE(game.form.LoadWeapByName("SECRET")); });
  EXPECT_EQ(game.host.messages.back().text, kMsgNotFound);
}

TEST_P(UnreadableFile, AsAnImport) {
  Game game;
  game.form.Form_Load();
  const auto path = game.dir.path() / "chosen.tdf";
  MakeBlocker(GetParam().kind, path);

  game.host.paths = {path.string()};
  WithoutHanging(path, [&] { game.form.Command62_Click(); });
  ASSERT_EQ(game.host.messages.size(), 1u);
  EXPECT_NE(game.host.messages[0].text.find(path.string()), std::string::npos);
  EXPECT_EQ(game.form.IWeaps, 0);  // no slot taken
  EXPECT_EQ(game.form.WNum, 8);
  EXPECT_EQ(game.form.Combo1.size(), 8u);
  EXPECT_EQ(game.form.Label1, "8 Weapons, 248 IDs available");
  game.host.messages.clear();
  game.ExpectUsable(0);
}

INSTANTIATE_TEST_SUITE_P(Each, UnreadableFile,
                         ::testing::Values(BlockerCase{"folder", Blocker::Folder},
                                           BlockerCase{"link_to_folder", Blocker::LinkToFolder},
                                           BlockerCase{"fifo", Blocker::Fifo},
                                           BlockerCase{"endless_device", Blocker::Device},
                                           BlockerCase{"no_permission", Blocker::NoPermission}),
                         [](const auto& info) { return std::string(info.param.what); });

// A file that opens but whose reading fails (every read of /proc/self/mem at
// its start is an I/O error) is named like one that cannot be opened.
TEST(ReadError, IsNamedAsAStandardFileAndAsAnImport) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file("/proc/self/mem", ec)) GTEST_SKIP() << "no /proc/self/mem here";
  Game game;
  std::filesystem::remove(game.Standard(4));
  std::filesystem::create_symlink("/proc/self/mem", game.Standard(4));
  game.form.Form_Load();
  ASSERT_EQ(game.host.messages.size(), 1u);
  EXPECT_NE(game.host.messages[0].text.find(game.Standard(4).string()), std::string::npos);
  EXPECT_EQ(game.form.WNum, 7);

  const auto chosen = game.dir.path() / "broken.tdf";
  std::filesystem::create_symlink("/proc/self/mem", chosen);
  game.form.ImportFile(chosen.string());
  ASSERT_EQ(game.host.messages.size(), 2u);
  EXPECT_NE(game.host.messages[1].text.find(chosen.string()), std::string::npos);
  EXPECT_EQ(game.form.WNum, static_cast<long>(game.form.Combo1.size()));
  EXPECT_EQ(game.form.Label1, CountLine(game.form.WNum));
  game.host.messages.clear();
  game.ExpectUsable(0);
}

}  // namespace
}  // namespace qm::badinput
