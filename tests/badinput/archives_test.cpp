// Damaged archives in the game folder: each is named in the one start-up
// message, and the other sources are read as if it were not there.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "bad_game.h"
#include "support/archive_writer.h"

namespace qm::badinput {
namespace {

TEST(DamagedArchives, AreNamedOnceAndTheOtherSourcesStillRead) {
  // `named`: what the message names; `reason`: part of what it says.
  struct DamagedArchive { const char* what; std::function<std::string(std::string)> damage; std::string named, reason; };
  const DamagedArchive cases[] = {
      {"not an archive", [](std::string) { return std::string("[GUN]\r\n{\r\n}\r\n"); }, "rev31.gp3", "damaged archive: too short"},
      {"a folder that contains itself", [](std::string a) { return test::PutU32(a, 20 + 8 + 4, 20), a; }, "rev31.gp3", "contains itself"},
      {"a damaged chunk", [](std::string a) { return a[a.size() - 10] ^= 1, a; }, "rev31.gp3/weapons/cannons.tdf", "wrong checksum"},
  };
  for (const DamagedArchive& c : cases) {
    SCOPED_TRACE(c.what);
    Game game;
    // The first four standard files live only in totala1.hpi; rev31.gp3,
    // read first, holds a copy of cannons.tdf.
    std::vector<test::FileToPack> packed;
    for (std::size_t i = 0; i < 4; ++i) {
      packed.emplace_back("weapons/" + std::string(kStandardFiles[i]), test::ReadFile(game.Standard(i)),
                          PackMethod::Zlib);
      std::filesystem::remove(game.Standard(i));
    }
    game.dir.Write("totala1.hpi", test::WriteArchive(packed).bytes);
    game.dir.Write("rev31.gp3", c.damage(test::WriteArchive({packed[0]}).bytes));
    ASSERT_EQ(::mkfifo((game.dir.path() / "pipe.ufo").c_str(), 0644), 0);  // not an archive: passed over
    std::filesystem::create_directories(game.dir.path() / "folder.ccx");

    game.form.rebuildList();
    ASSERT_EQ(game.host.messages.size(), 1u);
    const std::string& message = game.host.messages[0];
    EXPECT_NE(message.find((game.dir.path() / c.named).string() + ": "), std::string::npos) << message;
    EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 4) << message;  // one file named
    const bool cannonsLost = c.named.find('/') != std::string::npos;
    std::vector<std::string> listed;
    for (std::size_t i = cannonsLost ? 1 : 0; i < 8; ++i) listed.push_back(StandardEntry(i));
    EXPECT_EQ(SortedTexts(game.form.weaponList()), listed);
    game.ExpectUsable(2);
  }
}

}  // namespace
}  // namespace qm::badinput
