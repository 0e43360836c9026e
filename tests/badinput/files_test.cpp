// Standard files missing, unreadable, broken, binary or huge: one message names
// what cannot be read, the rest is listed and loads byte for byte, and the
// window still works. Odd but readable blocks are the loader's and scan's tables.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <random>

#include "catalogue/game_files.h"
#include "presentation/main_window_state.h"
#include "support/archive_writer.h"
#include "test_support.h"

namespace qm::badinput {
namespace {

using namespace std::string_literals;
using Path = std::filesystem::path;
using Strings = std::vector<std::string>;

// A game folder with one weapon in each standard file and a damaged archive,
// and the main window's state over it. Standard file i (0 to 7) holds the
// weapon STD<i+1> with the ID and the reload time i+1.
struct Game {
  Game() {
    std::map<std::string, std::string> files;
    for (std::size_t i = 0; i < kStandardFiles.size(); ++i)
      files[std::string(kStandardFiles[i])] = "[STD" + std::to_string(i + 1) +
                                              "]\r\n\t{\r\n\tid=" + std::to_string(i + 1) +
                                              ";\r\n\treloadtime=" + std::to_string(i + 1) + ";\r\n\t}\r\n";
    test::writeGame(dir, files);
  }

  Path standard(std::size_t i) const { return dir.path() / "weapons" / std::string(kStandardFiles[i]); }

  test::TempDir dir;
  const Path damaged = dir.write("rev31.gp3", "HAPI");
  test::ScriptedHost host;
  MainWindowState form{dir.path(), host};
};

// Random bytes without '[', so that they hold no header.
std::string randomBytes() {
  std::mt19937 gen(20240531);
  std::string out(128 * 1024, '\0');
  for (auto& c : out)
    if ((c = static_cast<char>(gen())) == '[') c = ']';
  return out;
}

// Puts `bytes` at the path it is given.
std::function<void(const Path&)> holding(std::string bytes) {
  return [bytes](const Path& at) { std::ofstream(at, std::ios::binary) << bytes; };
}

struct BadFile {
  const char* what;
  std::function<void(const Path&)> make;                  // puts it at the path given
  const char* reason = nullptr;                           // what the message says, if it cannot be read
  Strings entries = {};                                   // besides the other standard files' ones
  std::string load = {};                                  // a weapon to load, if any
  std::vector<std::pair<Slot, std::string>> values = {};  // every other slot empty, the bracket name = load
  Strings damage = {};
};
void PrintTo(const BadFile& c, std::ostream* os) { *os << c.what; }

const std::string kBig(8 * 1024 * 1024, 'x');

const BadFile kFiles[] = {
    {"missing", [](const Path&) {}, "No such file or directory"},
    {"empty", holding("")},
    {"nul_bytes", holding(std::string(65536, '\0'))},
    {"random_bytes_round_a_block",
     holding(randomBytes() +
             "\r\n[BIN]\r\n{\r\n\tid=77;\r\n\trange=1\0 0;\r\n[DAMAGE]\r\n{\r\n\t\td=\xff\0;\r\n}\r\n}\r\n"s +
             randomBytes()),
     nullptr,
     {" 77 - BIN"},
     "BIN",
     {{Slot::Id, "77"}, {Slot::Range, "1\0 0"s}},
     {"d=\xff\0"s}},
    {"eight_megabyte_line",
     holding("[GUN]\r\n{\r\n\tid=6;\r\n\tmodel=" + kBig + ";\r\n}\r\n"),
     nullptr,
     {"  6 - GUN"},
     "GUN",
     {{Slot::Id, "6"}, {Slot::Model, kBig}}},
    {"ends_inside_damage_block",
     holding("[GUN]\n{\nid=6;\n[DAMAGE]\n{\ndefault=50;\nARMCOM=5;"),
     nullptr,
     {"  6 - GUN"},
     "GUN",
     {{Slot::Id, "6"}},
     {"default=50", "ARMCOM=5"}},
    {"larger_than_a_weapon_file",
     [](const Path& at) { holding("")(at), std::filesystem::resize_file(at, kLargestWeaponFile + 1); },
     kMsgFileTooLarge.data()},
    {"fifo", [](const Path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0); }, "not a regular file"},
    // Opens, but every read at its start fails (the process's own memory, as
    // Linux shows it).
    {"read_error", [](const Path& at) { std::filesystem::create_symlink("/proc/self/mem", at); }, "Input/output error"},
};

class BadStandardFile : public ::testing::TestWithParam<BadFile> {};

// In place of the first standard file, beside a damaged archive, and a folder
// and a pipe named as archives (passed over). One that cannot be read is then
// chosen as an import: named again, no slot taken.
TEST_P(BadStandardFile, IsNamedOrListedAndChangesNothingElse) {
  const BadFile& c = GetParam();
  Game game;
  std::filesystem::remove(game.standard(0));
  c.make(game.standard(0));
  ASSERT_EQ(::mkfifo((game.dir.path() / "pipe.ufo").c_str(), 0644), 0);
  std::filesystem::create_directories(game.dir.path() / "folder.ccx");
  game.form.rebuildList();
  ASSERT_EQ(game.host.messages.size(), 1u);
  const std::string& message = game.host.messages[0];
  EXPECT_NE(message.find(game.damaged.string() + ": damaged archive: too short"), std::string::npos) << message;
  const std::string reason = c.reason ? ": "s + c.reason + "\n" : "";
  EXPECT_EQ(message.find(game.standard(0).string() + reason) != std::string::npos, c.reason != nullptr) << message;
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), c.reason ? 5 : 4) << message;  // nothing else named

  Strings texts;  // the other seven weapons, and what this file holds
  for (const auto& e : game.form.weaponList().entries()) texts.emplace_back(e.text);
  for (const std::string& entry : c.entries)
    EXPECT_NE(std::find(texts.begin(), texts.end(), entry), texts.end()) << entry;
  EXPECT_EQ(game.form.countLine(), countLine(static_cast<long>(7 + c.entries.size())));
  if (!c.load.empty()) {
    ASSERT_TRUE(game.form.showWeapon(c.load));
    CurrentWeapon want;
    want[Slot::BracketName] = c.load;
    for (const auto& [slot, value] : c.values) want[slot] = value;
    for (int s = 0; s < kSlotCount; ++s) {  // no EXPECT_EQ: it would print megabytes
      EXPECT_TRUE(game.form.weapon().v[s] == want.v[s]) << fieldOfSlot(static_cast<Slot>(s)).key;
    }
    EXPECT_EQ(game.form.weapon().damage, c.damage);
  }

  const Path chosen = game.dir.path() / "chosen.tdf";
  c.make(chosen);
  if (c.reason && std::filesystem::exists(std::filesystem::symlink_status(chosen))) {
    EXPECT_FALSE(game.form.addImport(chosen.string()));
    EXPECT_NE(game.host.messages.back().find(chosen.string() + reason), std::string::npos);
    EXPECT_TRUE(game.form.imports().empty());
  }
  const std::size_t messages = game.host.messages.size();
  EXPECT_TRUE(game.form.showWeapon("STD2"));  // a search passes over an unreadable standard file
  EXPECT_EQ(game.form.weapon()[Slot::ReloadTime], "2");
  EXPECT_EQ(game.host.messages.size(), messages) << game.host.messages.back();
}

INSTANTIATE_TEST_SUITE_P(Each, BadStandardFile, ::testing::ValuesIn(kFiles),
                         [](const auto& info) { return std::string(info.param.what); });

// 200,000 weapons in a standard file: every one is counted and listed, and the
// last one loads from the list.
TEST(ManyBlocks, TwoHundredThousandWeapons) {
  constexpr std::size_t kCount = 200000;
  std::string bytes;
  for (std::size_t i = 0; i < kCount; ++i) {
    const std::string k = std::to_string(i);  // IDs 1 to 255: an ID of 0 would not end the search for the id line
    bytes += "[W" + k + "]\r\n\t{\r\n\tid=" + std::to_string(i % 255 + 1) + ";\r\n\trange=" + k + ";\r\n\t}\r\n";
  }
  Game game;
  game.dir.write("weapons/" + std::string(kStandardFiles[7]), bytes);
  game.form.rebuildList();
  EXPECT_EQ(game.form.countLine(), countLine(kCount + 7));
  const auto& entries = game.form.weaponList().entries();
  const auto last =
      std::find_if(entries.begin(), entries.end(), [](const auto& e) { return e.text == " 80 - W199999"; });
  game.form.showListEntry(static_cast<int>(last - entries.begin()));
  EXPECT_EQ(game.form.weapon()[Slot::Range], "199999");
}

// A game beside 250 archives, read with room for 64 open files: no archive
// keeps its file open, so every one is read.
TEST(ManyArchives, NoneKeptOpen) {
  Game game;
  for (int i = 0; i < 250; ++i)
    game.dir.write("mod" + std::to_string(i) + ".ufo",
                   test::writeArchive({{"weapons/m" + std::to_string(i) + ".tdf", ""}}).bytes);
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  const rlim_t before = limit.rlim_cur;
  limit.rlim_cur = 64;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
  const GameFiles files(game.dir.path());
  const std::size_t read = files.filesIn("weapons", ".tdf").size();
  limit.rlim_cur = before;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
  EXPECT_EQ(read, 8u + 250u);
  EXPECT_EQ(files.damagedArchives().size(), 1u);  // rev31.gp3 alone
}

}  // namespace
}  // namespace qm::badinput
