// "Pack changes...": which source the game reads each override from, the
// archive's name as answered, the pack and the move to the backup folder.
// "Extract..." in the archive view.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/archive.h"
#include "catalogue/game_files.h"
#include "platform/path_text.h"
#include "presentation/archive_view.h"
#include "presentation/pack_changes_state.h"
#include "support/archive_writer.h"
#include "support/scripted_host.h"
#include "test_support.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

const std::string kRockets = "[ROCKET]\r\n{\r\nid=9;\r\n}\r\n";

// A game whose archive `archive` holds weapons/rockets.tdf, overridden by a
// loose copy holding id=12.
void archivedGame(const TempDir& game, const std::string& archive) {
  game.write(archive, writeArchive({{"weapons/rockets.tdf", kRockets}}).bytes);
  game.write("weapons/rockets.tdf", "[ROCKET]\r\n{\r\nid=12;\r\n}\r\n");
}

TEST(PackChanges, EachOverrideIsReadFromTheFirstArchiveThatHoldsIt) {
  struct Case {
    const char* held;    // the archive of the game holding the file
    const char* chosen;  // the new archive's name as answered
    const char* source;
  } cases[] = {
      // Searched by extension: .gp3, .gpf, .ccx, .ufo, .hpi; then by name.
      {"rev31.hpi", "zz_mod.ufo", "zz_mod.ufo"},
      {"rev31.gp3", "zz_mod.ufo", "rev31.gp3"},
      {"rev31.ufo", "aa_mod.ufo", "aa_mod.ufo"},
      {"rev31.ufo", "zz_mod.ufo", "rev31.ufo"},
      // An archive of the chosen name is taken as replaced.
      {"mod.ufo", "MOD.ufo", "MOD.ufo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.held) + " " + c.chosen);
    TempDir game;
    archivedGame(game, c.held);
    PackChangesState state(game.path());
    ScriptedHost host;
    host.answers = {Answer::Yes};
    host.paths = {platform::utf8Of(game.path() / c.chosen)};
    ASSERT_TRUE(state.chooseArchive(host));
    const auto rows = state.rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].file, "weapons/rockets.tdf");
    EXPECT_EQ(rows[0].source, c.source);
    EXPECT_EQ(rows[0].fromNew, rows[0].source == platform::utf8Of(fs::path(c.chosen).filename()));
  }
}

TEST(PackChanges, TheArchiveNameAsAnswered) {
  struct Case {
    const char* name;
    std::vector<std::optional<std::string>> answers;  // relative to the game folder; "/x" outside it
    std::vector<Answer> replies;
    const char* chosen;  // empty: none chosen
    std::size_t messages;
  } cases[] = {
      {"suggested in the game folder", {std::nullopt}, {}, "", 0},
      {"an extension added", {"mod"}, {}, "mod.ufo", 0},
      {"another archive type kept", {"mod.HPI"}, {}, "mod.HPI", 0},
      {"a text file is no archive", {"mod.txt"}, {}, "mod.txt.ufo", 0},
      {"outside the game folder refused, asked again", {"/sub/mod.ufo", "mod.ufo"}, {}, "mod.ufo", 1},
      {"an archive there replaced on Yes", {"rev31.hpi"}, {Answer::Yes}, "rev31.hpi", 1},
      {"not replaced on No, asked again", {"rev31.hpi", std::nullopt}, {Answer::No}, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir game;
    archivedGame(game, "rev31.hpi");
    fs::create_directories(game.path() / "sub");
    PackChangesState state(game.path());
    ScriptedHost host;
    for (const auto& a : c.answers)
      host.paths.push_back(!a               ? std::nullopt
                           : (*a)[0] == '/' ? std::optional(platform::utf8Of(game.path() / a->substr(1)))
                                            : std::optional(platform::utf8Of(game.path() / *a)));
    host.answers.assign(c.replies.begin(), c.replies.end());
    EXPECT_EQ(state.chooseArchive(host), *c.chosen != 0);
    if (*c.chosen) {
      EXPECT_EQ(state.archive(), game.path() / c.chosen);
    }
    EXPECT_EQ(host.messages.size(), c.messages);
    ASSERT_FALSE(host.starts.empty());
    EXPECT_EQ(host.starts[0], platform::utf8Of(game.path() / "changes.ufo"));
    EXPECT_EQ(host.filters[0], archiveFilter());
  }
}

TEST(PackChanges, PackedThenMovedToBackupTheGameReadsThePackedCopy) {
  TempDir game;
  archivedGame(game, "rev31.hpi");
  // A backup of an earlier pack is not overwritten: that loose file stays.
  game.write("units/tank.fbi", "old");
  game.write("rev31.hpi", writeArchive({{"weapons/rockets.tdf", kRockets}, {"units/tank.fbi", "x"}}).bytes);
  game.write("units/tank.fbi", "new");
  game.write("backup/units/tank.fbi", "older");
  PackChangesState state(game.path());
  ASSERT_EQ(state.overrides().size(), 2u);
  ScriptedHost host;
  host.paths = {platform::utf8Of(game.path() / "zz_mod.ufo")};
  ASSERT_TRUE(state.chooseArchive(host));
  const PackOutcome packed = state.pack({});
  ASSERT_FALSE(packed.failure) << *packed.failure;

  std::string reason, bytes;
  const auto archive = Archive::open(game.path() / "zz_mod.ufo", reason);
  ASSERT_TRUE(archive) << reason;
  ASSERT_TRUE(archive->unpack(*archive->find("weapons/rockets.tdf"), bytes, reason));
  EXPECT_EQ(bytes, "[ROCKET]\r\n{\r\nid=12;\r\n}\r\n");

  const std::string failures = state.moveToBackup();
  EXPECT_NE(failures.find("tank.fbi"), std::string::npos) << failures;
  EXPECT_EQ(failures.find("rockets"), std::string::npos) << failures;
  EXPECT_FALSE(fs::exists(game.path() / "weapons/rockets.tdf"));
  EXPECT_EQ(readFile(game.path() / "backup/weapons/rockets.tdf"), "[ROCKET]\r\n{\r\nid=12;\r\n}\r\n");
  EXPECT_EQ(readFile(game.path() / "units/tank.fbi"), "new");
  EXPECT_EQ(readFile(game.path() / "backup/units/tank.fbi"), "older");
  const WeaponFilePtr read = GameFiles(game.path()).find("weapons/rockets.tdf");
  ASSERT_TRUE(read);
  EXPECT_NE(read->name().find("zz_mod.ufo"), std::string::npos) << read->name();
}

// The archive view lists the weapon files first; Extract... writes the rows
// chosen under the folder chosen, byte for byte, asks before replacing, and
// refuses the lot when one file would land outside the folder.
TEST(ArchiveViewTest, ExtractsTheChosenRows) {
  const std::string weapon = "[GUN]\r\n{\r\nid=7;\r\n}\r\n" + std::string(70000, 'x');
  const std::vector<FileToPack> members = {{"readme.txt", "hello"},
                                           {"units/x.fbi", "[UNITINFO]", PackMethod::Zlib},
                                           {"weapons/b.tdf", weapon, PackMethod::Lz77},
                                           {"up/out.txt", "away"}};
  struct Case {
    const char* name;
    std::vector<std::size_t> rows;
    bool chooses;                    // a folder is chosen
    std::vector<Answer> replies;     // to the question before replacing readme.txt
    std::vector<std::string> wrote;  // the files under the folder afterwards
    std::vector<std::string> said;   // the messages' beginnings
  } cases[] = {
      {"two files", {0, 2}, true, {}, {"units/x.fbi", "weapons/b.tdf"}, {"Extracted 2 files to "}},
      {"no folder chosen", {0}, false, {}, {}, {}},
      {"an existing file kept on No", {1}, true, {Answer::No}, {"readme.txt"}, {"This file exists:\n"}},
      {"replaced on Yes", {1}, true, {Answer::Yes}, {"readme.txt"}, {"This file exists:\n", "Extracted 1 file "}},
#ifndef _WIN32
      {"one leaving refuses all", {0, 3}, true, {}, {}, {"This file would be written outside "}},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const fs::path archivePath = dir.write("mod.ufo", writeArchive(members).bytes);
    const fs::path out = dir.path() / "out";
    fs::create_directories(out);
    const bool replacing = c.name[0] == 'a' || c.name[0] == 'r';
    if (replacing) dir.write("out/readme.txt", "old");
#ifndef _WIN32
    fs::create_directories(dir.path() / "elsewhere");
    fs::create_directory_symlink(dir.path() / "elsewhere", out / "up");
#endif
    std::string reason;
    ScriptedHost host;
    ArchiveView view(archivePath.string(), Archive::open(archivePath, reason), host);
    ASSERT_EQ(view.weaponFiles(), std::vector<std::string>{"weapons/b.tdf"});
    ASSERT_EQ(view.rows().size(), 4u);
    EXPECT_EQ(view.rows()[0].file + " " + view.rows()[0].size + " " + view.rows()[0].method,
              "weapons/b.tdf " + std::to_string(weapon.size()) + " lz77");
    host.paths = {c.chooses ? std::optional(platform::utf8Of(out)) : std::nullopt};
    host.answers.assign(c.replies.begin(), c.replies.end());
    view.extract(c.rows);

    EXPECT_EQ(host.starts, std::vector<std::string>{platform::utf8Of(dir.path())});
    ASSERT_EQ(host.messages.size(), c.said.size());
    for (std::size_t i = 0; i < c.said.size(); ++i)
      EXPECT_EQ(host.messages[i].rfind(c.said[i], 0), 0u) << host.messages[i];
    std::vector<std::string> wrote;
    for (const auto& e : fs::recursive_directory_iterator(out))
      if (e.is_regular_file() && !e.is_symlink()) wrote.push_back(e.path().lexically_relative(out).generic_string());
    std::sort(wrote.begin(), wrote.end());
    EXPECT_EQ(wrote, c.wrote);
    for (const FileToPack& m : members) {
      if (std::find(wrote.begin(), wrote.end(), m.path) != wrote.end() &&
          (m.path != "readme.txt" || c.replies == std::vector{Answer::Yes})) {
        EXPECT_EQ(readFile(out / m.path), m.bytes) << m.path;
      }
    }
    EXPECT_FALSE(fs::exists(dir.path() / "elsewhere/out.txt"));
    if (replacing && c.replies[0] == Answer::No) {
      EXPECT_EQ(readFile(out / "readme.txt"), "old");
    }
  }
}

}  // namespace
}  // namespace qm::test
