// The game's file set: which source gives a file, and a game kept in archives
// reading exactly as the same game kept loose.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "catalogue/game_files.h"
#include "cli/cli.h"
#include "presentation/main_window_state.h"
#include "support/archive_writer.h"
#include "test_support.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::FileToPack;

// Where the file at `inner` comes from: the archive's file name, "loose" or "none".
std::string SourceOf(const fs::path& game, const std::string& inner) {
  const WeaponFilePtr file = GameFiles(game).Find(inner);
  if (!file) return "none";
  const std::string rest = file->name().substr(game.string().size() + 1);
  const std::string first = rest.substr(0, rest.find_first_of("/\\"));
  return fs::is_directory(game / first) ? "loose" : first;
}

TEST(GameFilesTest, LooseFirstThenArchivesByExtensionThenName) {
  // `archives` each hold Weapons/X.TDF; of the loose `others`, those ending in
  // .hpi do too; `source` is where weapons/x.tdf comes from.
  struct Sources { const char* what; std::vector<std::string> archives, others; std::string source; };
  const std::string archive = test::WriteArchive({{"Weapons/X.TDF", "[A]\nid=1;\n"}}).bytes;
  const Sources cases[] = {
      {"a loose file wins, in any case", {"rev31.gp3"}, {"WEAPONS/x.Tdf"}, "loose"},
      {"gp3 before the rest", {"a.hpi", "b.ufo", "c.ccx", "d.gpf", "e.gp3"}, {}, "e.gp3"},
      {"gpf before ccx", {"a.hpi", "b.ufo", "c.ccx", "d.gpf"}, {}, "d.gpf"},
      {"ccx before ufo", {"a.hpi", "b.ufo", "c.ccx"}, {}, "c.ccx"},
      {"ufo before hpi", {"a.hpi", "b.ufo"}, {}, "b.ufo"},
      {"extension in any case", {"a.hpi", "b.UFO"}, {}, "b.UFO"},
      {"names folded within one extension", {"B.hpi", "a.HPI", "c.hpi"}, {}, "a.HPI"},
      {"archives in folders are not read", {"x.zip"}, {"sub/y.hpi", "weapons/z.hpi"}, "none"},
      {"a damaged archive is passed over", {"b.hpi"}, {"a.gp3"}, "b.hpi"},
  };
  for (const Sources& c : cases) {
    test::TempDir dir;
    for (const auto& name : c.archives) dir.Write(name, archive);
    for (const auto& name : c.others) dir.Write(name, name.find(".hpi") != std::string::npos ? archive : "[A]\n");
    EXPECT_EQ(SourceOf(dir.path(), "weapons/x.tdf"), c.source) << c.what;
  }
}

// The status, then all the CLI printed.
std::string Said(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return std::to_string(status) + "\n" + out.str() + err.str();
}

std::string Sample(std::string_view name) {
  return test::ReadFile(fs::path(QM_SOURCE_DIR) / "sample-game" / "weapons" / std::string(name));
}

// Every method and both ciphers over the eight standard files.
std::vector<FileToPack> PackedSample() {
  std::vector<FileToPack> files;
  for (std::size_t i = 0; i < kStandardFiles.size(); ++i)
    files.emplace_back((i % 2 ? "WEAPONS/" : "weapons/") + std::string(kStandardFiles[i]), Sample(kStandardFiles[i]),
                       static_cast<PackMethod>(i % 3), i % 4 == 1);
  return files;
}

// Everything the CLI says about the game: the list, every weapon in both
// modes, and an export of the first.
std::vector<std::string> Everything(const fs::path& game, const test::TempDir& out, std::vector<std::string> imports) {
  std::vector<std::string> said;
  auto run = [&](std::vector<std::string> args) {
    for (const auto& i : imports) args.insert(args.begin(), {"--import", i});
    args.insert(args.begin(), {"--game", game.string()});
    return said.emplace_back(Said(args)).substr(2);
  };
  const std::string list = run({"list"});
  for (int i = 0; i < std::count(list.begin(), list.end(), '\n') - 1; ++i)
    run({"show", "--index", std::to_string(i), "--json"}), run({"show", "--index", std::to_string(i), "--actual"});
  const fs::path exported = out.path() / "exported.tdf";
  fs::remove(exported);
  const std::string first = list.substr(6, list.find('\n') - 6);
  run({"export", first, "--actual-name", "COPY", "--name", "Copy", "--id", "200", "--out", exported.string(),
       "--overwrite"});
  said.push_back(test::ReadFile(exported));
  return said;
}

TEST(GameFilesTest, GameInArchivesReadsAsTheLooseGame) {
  test::TempDir loose, packed, out;
  for (std::string_view name : kStandardFiles) loose.Write("weapons/" + std::string(name), Sample(name));
  packed.Write("totala1.hpi", test::WriteArchive(PackedSample(), 0x7D).bytes);

  // The first thing said differently, or nothing.
  auto firstDifference = [](std::vector<std::string> a, std::vector<std::string> b) {
    a.resize(std::max(a.size(), b.size())), b.resize(a.size());
    const auto [x, y] = std::mismatch(a.begin(), a.end(), b.begin());
    return x == a.end() ? std::string() : *x + "\n---\n" + *y;
  };
  const auto expected = Everything(loose.path(), out, {});
  ASSERT_EQ(expected.size(), 123u);  // 60 weapons
  EXPECT_NE(expected.back().find("\r\n[COPY]\r\n"), std::string::npos);
  EXPECT_EQ(firstDifference(Everything(packed.path(), out, {}), expected), "");

  // An import named inside an archive reads as the loose file does.
  const fs::path member = packed.path() / "totala1.hpi" / "Weapons" / "Lasers.TDF";
  const auto imported = Everything(packed.path(), out, {member.string()});
  EXPECT_EQ(firstDifference(imported, Everything(loose.path(), out, {(loose.path() / "weapons" / "lasers.tdf").string()})), "");
  EXPECT_NE(imported.size(), expected.size());
}

// `archive FILE [PATH]`: the list's format, names as UTF-8, and one message
// for a missing file or a damaged archive.
TEST(GameFilesTest, ArchiveCommandListsAndUnpacks) {
  test::TempDir dir;
  const std::vector<FileToPack> files = {{"weapons/A.tdf", "[A]\r\n"}, {"c\xe9.tdf", Sample("cannons.tdf"), PackMethod::Lz77}};
  const std::string archive = dir.Write("rev31.gp3", test::WriteArchive(files, 0x33).bytes).string();
  const std::string damaged = dir.Write("damaged.hpi", "HAPI").string();
  const auto said = [](std::vector<std::string> args) { return Said(args).erase(1, 1); };
  EXPECT_EQ(said({"archive", archive}), "05\tnone\tweapons/A.tdf\n" + std::to_string(files[1].bytes.size()) + "\tlz77\tc\xc3\xa9.tdf\n");
  EXPECT_TRUE(said({"archive", archive, "C\xc3\x89.TDF"}) == "0" + files[1].bytes);
  EXPECT_EQ(said({"archive", archive, "a.tdf"}), "1" + archive + ": no file a.tdf inside\n");
  EXPECT_EQ(said({"archive", damaged, "a.tdf"}), "1" + damaged + ": damaged archive: too short for an archive header\n");
}

// The import button on an archive: its weapon files to pick from, weapons/
// first; the pick takes a slot under ARCHIVE/inner/path.
TEST(GameFilesTest, ImportPicksAWeaponFileInsideAnArchive) {
  test::TempDir dir;
  test::WriteGame(dir, {{"cannons.tdf", "[GUN]\r\nid=1;\r\n"}});
  const std::string archive = dir.Write("mods/extra.UFO", test::WriteArchive({{"readme.txt", "x"},
      {"extra/other.tdf", "[OTHER]\r\nid=3;\r\n"}, {"Weapons/Laser.TDF", "[LASER]\r\n{\r\nid=2;\r\nrange=9;\r\n}\r\n", PackMethod::Lz77}}).bytes).string();
  const std::string damaged = dir.Write("mods/bad.hpi", "HAPI").string();
  const std::string empty = dir.Write("mods/empty.gp3", test::WriteArchive({{"readme.txt", "x"}}).bytes).string();
  test::ScriptedHost host;
  MainWindowState window(dir.path(), host);
  window.rebuildList();
  host.paths = {archive, archive, damaged, empty};
  host.picks = {std::nullopt, 0};
  for (int i = 0; i < 4; ++i) window.importFile();

  const std::vector<std::string> offered = {"Weapons/Laser.TDF", "extra/other.tdf"};
  EXPECT_EQ(host.offered, (std::vector<std::vector<std::string>>{offered, offered}));
  EXPECT_EQ(window.imports(), std::vector<std::string>{archive + "/Weapons/Laser.TDF"});
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0], UnreadableFilesMessage({{damaged, "damaged archive: too short for an archive header"}}));
  EXPECT_EQ(host.messages[1], kMsgNoWeaponFiles);
  ASSERT_TRUE(window.showWeapon("LASER"));
  EXPECT_EQ(window.weapon()[Slot::vRng], "9");
}

}  // namespace
}  // namespace qm
