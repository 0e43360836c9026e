// References between the game's files: units naming weapons, weapons naming
// sounds, animation files, sequences and models, over a game whose units and
// sounds sit in an archive; and the sequence names of animation files.
#include <gtest/gtest.h>

#include <sstream>

#include "checks/gaf.h"
#include "cli/game_checks.h"
#include "support/archive_writer.h"
#include "test_support.h"

namespace qm {
namespace {

void put32(std::string& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b += static_cast<char>(v >> (8 * i) & 0xff);
}

// An animation file holding one-picture sequences of these names.
std::string gaf(const std::vector<std::string>& names) {
  std::string b;
  put32(b, 0x00010100);
  put32(b, static_cast<std::uint32_t>(names.size()));
  put32(b, 0);
  std::uint32_t at = static_cast<std::uint32_t>(12 + 4 * names.size());
  for (std::size_t i = 0; i < names.size(); ++i, at += 48) put32(b, at);
  for (const std::string& name : names) {
    b += std::string("\x01\x00\x01\x00", 4);
    put32(b, 0);
    b += name + std::string(32 - name.size(), '\0');
    put32(b, 0);
    put32(b, 0);
  }
  return b;
}

TEST(GafTest, SequenceNamesAndDamage) {
  const std::string good = gaf({"boom", "Splash"});
  const auto set = [](std::string b, std::size_t at, std::string bytes) { return b.replace(at, bytes.size(), bytes); };
  const struct {
    std::string bytes;
    const char* reason;  // null: read
  } rows[] = {
      {good, nullptr},
      {gaf({}), nullptr},
      {good.substr(0, 11), "too short for its header"},
      {set(good, 0, "\x02"), "not version"},
      {set(good, 4, "\xff\xff\xff\x3f"), "do not fit"},
      {set(good, 16, "\xf0\xff"), "sequence 2 lies past the end"},
      {set(good, 20, "\xff"), "pictures of sequence 1 run past"},
      {set(good, 76, std::string(32, 'x')), "name of sequence 2 has no end"},
      {good.substr(0, good.size() - 1), "pictures of sequence 2 run past"},
  };
  for (const auto& row : rows) {
    std::vector<std::string> names;
    std::string reason;
    const bool read = readGafSequenceNames(row.bytes, names, reason);
    ASSERT_EQ(read, row.reason == nullptr) << (row.reason ? row.reason : reason);
    if (row.reason) {
      EXPECT_NE(reason.find(row.reason), std::string::npos) << reason;
    }
  }
  std::vector<std::string> names;
  std::string reason;
  ASSERT_TRUE(readGafSequenceNames(good, names, reason));
  EXPECT_EQ(names, (std::vector<std::string>{"boom", "Splash"}));
}

// A game whose units, sounds, animations and models sit in an archive; each
// kind of reference planted missing once. Beside it, a folder of weapon
// files alone, where no reference can be checked.
TEST(ReferencesTest, PlantedGame) {
  test::TempDir dir;
  const std::string damage = "[DAMAGE]\n{\ndefault=1;\n}\n";
  const std::string weapons =
      dir.write("game/weapons/w.tdf",
                "[GUN]\n{\nID=1;\nsoundstart=Bang;\nsoundhit=nohit;\nexplosiongaf=fx;\nexplosionart=BOOM;\n"
                "waterexplosiongaf=nofx;\nlavaexplosiongaf=fx;\nlavaexplosionart=nope;\nmodel=shell;\n" +
                    damage +
                    "}\n"
                    "[LASER]\n{\nID=2;\nmodel=beam;\nexplosiongaf=broken;\nexplosionart=any;\n" +
                    damage + "}\n")
          .string();
  dir.write("game/mod.ufo",
            test::writeArchive({{"units/ARMA.FBI",
                                 "[UNITINFO]\n{\nUnitName=ARMA;\nWeapon1=gun;\nWeapon2=MISSING;\n"
                                 "ExplodeAs=GUN;\n}\n"},
                                {"units/armb.fbi", "[UNITINFO]\n{\nUnitName=ARMB;\nWeapon1=LASER;\n}\n"},
                                {"sounds/BANG.WAV", "RIFF"},
                                {"anims/fx.gaf", gaf({"boom"})},
                                {"anims/broken.gaf", "GAF?"},
                                {"objects3d/beam.3do", "3do"}})
                .bytes);
  const std::string archive = (dir.path() / "game" / "mod.ufo").string();
  dir.write("alone/weapons/w.tdf", test::readFile(weapons));

  const auto lint = [&](const char* game) {
    std::ostringstream out, err;
    LintOptions options;
    options.only = {"unknown-weapon,missing-sound,missing-animation",
                    "missing-sequence,missing-model,damaged-animation"};
    runLint(dir.path() / game, {}, options, out, err);
    return out.str();
  };
  EXPECT_EQ(lint("game"),
            archive +
                "/anims/broken.gaf:0:0: warning: damaged animation file: too short for its header: its sequences "
                "are not checked [damaged-animation]\n" +
                archive +
                "/units/ARMA.FBI:5:1: error: the unit 'ARMA' names the weapon 'MISSING', which the game "
                "does not have [unknown-weapon]\n" +
                weapons +
                ":5:1: warning: '[GUN]' names the sound 'nohit', which the game does not have [missing-sound]\n" +
                weapons +
                ":8:1: warning: '[GUN]' names the animation file 'nofx', which the game does not have "
                "[missing-animation]\n" +
                weapons +
                ":10:1: warning: '[GUN]' names the sequence 'nope', which the game does not have "
                "[missing-sequence]\n" +
                weapons +
                ":11:1: warning: '[GUN]' names the model 'shell', which the game does not have "
                "[missing-model]\n"
                "1 errors, 5 warnings in 1 files (engine: original)\n");
  EXPECT_EQ(lint("alone"), "0 errors, 0 warnings in 1 files (engine: original)\n");

  std::ostringstream out, err;
  EXPECT_EQ(runRefs(dir.path() / "game", "Gun", false, out, err), 0);
  EXPECT_EQ(out.str(), "ARMA\tWeapon1\t" + archive + "/units/ARMA.FBI:4\nARMA\tExplodeAs\t" + archive +
                           "/units/ARMA.FBI:6\n1 units name Gun\n");
}

}  // namespace
}  // namespace qm
