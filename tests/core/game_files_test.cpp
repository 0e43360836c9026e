// The game's file set: which source gives a file, and a game kept in archives
// reading exactly as the same game kept loose.
#include <gtest/gtest.h>

#include <sstream>

#include "catalogue/game_files.h"
#include "cli/cli.h"
#include "cli_run.h"
#include "platform/path_text.h"
#include "presentation/main_window_state.h"
#include "support/archive_writer.h"
#include "test_support.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::FileToPack, test::putU32;

// Where `file` comes from: the archive's file name or "loose".
std::string sourceOf(const fs::path& game, const WeaponFilePtr& file) {
  const std::string rest = file->name().substr(platform::utf8Of(game).size() + 1);
  const std::string first = rest.substr(0, rest.find_first_of("/\\"));
  return fs::is_directory(game / first) ? "loose" : first;
}

TEST(GameFilesTest, LooseFirstThenArchivesByExtensionThenName) {
  // Each archive holds Weapons/X.TDF and a file named after itself, so the
  // weapon files list the archives in the order they are searched.
  // Names on disk fold as UTF-8: \xc3\xa9 and \xc3\x89 are one letter. Files in
  // an archive's sub-folders are not in the weapons folder.
  test::TempDir dir;
  const std::string ebene =
                        "\xc3\xa9"
                        "b\xc3\xa8"
                        "ne.ufo",
                    elan =
                        "\xc3\x89"
                        "lan.ufo";
  for (const std::string& name : std::vector<std::string>{"c.hpi", "B.hpi", "a.HPI", elan, ebene, "b.UFO", "c.ccx",
                                                          "d.gpf", "e.gp3", "sub/y.hpi", "weapons/z.hpi"})
    dir.write(name, test::writeArchive({{"Weapons/X.TDF", ""},
                                        {"weapons/" + name.substr(name.find('/') + 1) + ".tdf", ""},
                                        {"weapons/backup/old.tdf", ""}})
                        .bytes);
  dir.write("damaged.gp3", "HAPI");  // passed over: the archives after it are read

  const GameFiles files(dir.path());
  std::vector<std::string> sources;
  for (const WeaponFilePtr& file : files.filesIn("weapons", ".tdf")) sources.push_back(sourceOf(dir.path(), file));
  EXPECT_EQ(sources, (std::vector<std::string>{"e.gp3", "e.gp3", "d.gpf", "c.ccx", "b.UFO", ebene, elan, "a.HPI",
                                               "B.hpi", "c.hpi"}));
  EXPECT_EQ(sourceOf(dir.path(), files.find("weapons/x.tdf")), "e.gp3");
  dir.write("weapons/x.Tdf", "");  // a loose file wins, in any letter case
  EXPECT_EQ(sourceOf(dir.path(), GameFiles(dir.path()).find("Weapons/X.TDF")), "loose");
}

// The status, then all the CLI printed, about `game` if one is given.
std::string said(std::vector<std::string> args, const fs::path& game = {}) {
  const test::CliRun r = test::cli(std::move(args), game);
  return std::to_string(r.status) + r.out + r.err;
}

// The weapon list and the ID census read the same files: of two names that
// differ in letter case the small one; an archive's file behind a loose folder
// of its name; no file of an archive's sub-folder; a packed file too large
// for a weapon file refused by name.
TEST(GameFilesTest, ListAndCensusReadTheSameFiles) {
  test::TempDir dir;
  const auto weapon = [](const char* name, int id) {
    return '[' + std::string(name) + "]\r\n{\r\nid=" + std::to_string(id) + ";\r\n}\r\n";
  };
  dir.write("weapons/CANNONS.TDF", weapon("UPPER", 2));
  dir.write("weapons/cannons.tdf", weapon("LOWER", 1));
  std::filesystem::create_directories(dir.path() / "weapons" / "lasers.tdf");
  auto mod = test::writeArchive({{"weapons/lasers.tdf", weapon("LASER", 3)},
                                 {"weapons/backup/old.tdf", weapon("OLD", 4)},
                                 {"weapons/rockets.tdf", "", PackMethod::Zlib}});
  putU32(mod.bytes, mod.recordAt.at("weapons/rockets.tdf") + 4, kLargestWeaponFile + 1);
  const std::string archive = platform::utf8Of(dir.write("mod.ufo", mod.bytes + std::string(30000, '\0')));

  const std::string list = said({"list"}, dir.path()), ids = said({"ids"}, dir.path());
  for (const std::string& said : {list, ids}) {
    for (const char* name : {"LOWER", "LASER"}) EXPECT_NE(said.find(name), std::string::npos) << name << "\n" << said;
    for (const char* name : {"UPPER", "OLD"}) EXPECT_EQ(said.find(name), std::string::npos) << name << "\n" << said;
  }
  EXPECT_NE(list.find(archive + "/weapons/rockets.tdf: " + std::string(kMsgFileTooLarge)), std::string::npos) << list;
}

std::string sample(std::string_view name) {
  return test::readFile(fs::path(QM_SOURCE_DIR) / "sample-game" / "weapons" / std::string(name));
}

// The sample game kept loose, and kept in one archive with every method and
// both ciphers: the CLI lists it and shows every weapon alike.
TEST(GameFilesTest, GameInArchivesReadsAsTheLooseGame) {
  test::TempDir loose, packed;
  std::vector<FileToPack> files;
  for (std::size_t i = 0; i < kStandardFiles.size(); ++i) {
    const std::string name(kStandardFiles[i]);
    loose.write("weapons/" + name, sample(name));
    files.emplace_back((i % 2 ? "WEAPONS/" : "weapons/") + name, sample(name), static_cast<PackMethod>(i % 3),
                       i % 4 == 1);
  }
  packed.write("totala1.hpi", test::writeArchive(files, 0x7D).bytes);
  const std::string list = said({"list"}, loose.path());
  EXPECT_NE(list.find("\n60 Weapons"), std::string::npos) << list;
  EXPECT_EQ(said({"list"}, packed.path()), list);
  // The table reads the archive's members on several threads at once.
  EXPECT_EQ(said({"table"}, packed.path()), said({"table"}, loose.path()));
  for (int i = 0; i < 60; ++i) {
    const std::vector<std::string> show = {"show", "--index", std::to_string(i), "--actual", "--json"};
    const std::string shown = said(show, loose.path());
    EXPECT_EQ(shown.substr(0, 2), "0{") << shown;
    EXPECT_EQ(said(show, packed.path()), shown);
  }
}

// The import button offers an archive's weapon files, weapons/ first; the pick
// takes a slot under ARCHIVE/inner/path; a cancelled pick, a damaged archive
// and one without weapon files take none. The CLI lists (in UTF-8, a tab or
// newline of a name escaped) and unpacks.
TEST(GameFilesTest, ArchiveImportedAndListed) {
  test::TempDir dir;
  const std::string archive = platform::utf8Of(dir.write(
      "mods/extra.UFO",
      test::writeArchive({{"r\xe9"
                           "ad\tme\n.txt",
                           "x"},
                          {"extra/other.tdf", ""},
                          {"Weapons/Laser.TDF", "[LASER]\r\n{\r\nid=2;\r\nrange=9;\r\n}\r\n", PackMethod::Lz77}})
          .bytes));
  const std::string damaged = platform::utf8Of(dir.write("mods/bad.hpi", "HAPI"));
  const std::string empty =
      platform::utf8Of(dir.write("mods/empty.gp3", test::writeArchive({{"readme.txt", "x"}}).bytes));
  test::ScriptedHost host;
  MainWindowState window(dir.path(), host);
  host.paths = {archive, archive, damaged, empty};
  host.picks = {std::nullopt, 0};
  for (int i = 0; i < 4; ++i) window.importFile();

  EXPECT_EQ(host.offered, (std::vector<std::vector<std::string>>(2, {"Weapons/Laser.TDF", "extra/other.tdf"})));
  EXPECT_EQ(window.imports(), std::vector<std::string>{archive + "/Weapons/Laser.TDF"});
  EXPECT_EQ(window.importNote(), "1 weapon added from mods/extra.UFO/Weapons/Laser.TDF (import 1 of 15)");
  EXPECT_EQ(host.messages, (std::vector<std::string>{
                               importFailureMessage({{damaged, "damaged archive: too short for an archive header"}}),
                               std::string(kMsgNoWeaponFiles)}));
  ASSERT_TRUE(window.showWeapon("LASER"));
  EXPECT_EQ(window.weapon()[Slot::Range], "9");

  EXPECT_EQ(said({"archive", archive}),
            "01\tnone\tr\xc3\xa9"
            "ad\\tme\\n.txt\n0\tnone\textra/other.tdf\n32\tlz77\tWeapons/Laser.TDF\n");
  EXPECT_EQ(said({"archive", archive,
                  "R\xc3\x89"
                  "AD\tME\n.TXT"}),
            "0x");
  EXPECT_EQ(said({"archive", archive, "a.tdf"}), "1" + archive + ": no file a.tdf inside\n");
}

}  // namespace
}  // namespace qm
