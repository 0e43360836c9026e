// References between the game's files: units naming weapons, weapons naming
// sounds, animation files, sequences and models, over a game whose units and
// sounds sit in an archive; and the sequence names of animation files.
#include <gtest/gtest.h>

#include <sstream>

#include "checks/gaf.h"
#include "cli/command.h"
#include "cli/game_checks.h"
#include "platform/path_text.h"
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
  const std::string weapons = platform::utf8Of(
      dir.write("game/weapons/w.tdf",
                "[GUN]\n{\nID=1;\nsoundstart=Bang;\nsoundhit=nohit;\nexplosiongaf=fx;\nexplosionart=BOOM;\n"
                "waterexplosiongaf=nofx;\nlavaexplosiongaf=fx;\nlavaexplosionart=nope;\nmodel=shell;\n" +
                    damage +
                    "}\n"
                    "[LASER]\n{\nID=2;\nmodel=beam;\nexplosiongaf=broken;\nexplosionart=any;\n" +
                    damage + "}\n"));
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
  const std::string archive = platform::utf8Of(dir.path() / "game" / "mod.ufo");
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
  EXPECT_EQ(runRefs(dir.path() / "game", {}, "Gun", false, out, err), 0);
  EXPECT_EQ(out.str(), "ARMA\tWeapon1\t" + archive + "/units/ARMA.FBI:4\nARMA\tExplodeAs\t" + archive +
                           "/units/ARMA.FBI:6\n1 units name Gun\n");
}

// A game of the later engine (no IDs): units name weapons in slots up to
// Weapon32 and are named by their files; soundtrigger is a flag; models may
// be .s3o or carry their extension; an empty slot names nothing. Beside it
// an original game with the same files, where Weapon4 is not read.
TEST(ReferencesTest, LaterEngineGame) {
  test::TempDir dir;
  const std::string damage = "[DAMAGE]\n{\ndefault=1;\n}\n";
  const std::string weapons = "[FLAK]\n{\nsoundstart=bang;\nsoundtrigger=1;\nsoundhitdry=dry;\nmodel=shell;\n" +
                              damage + "}\n[BEAM]\n{\nmodel=objects3d/Beam.S3O;\n" + damage + "}\n[SWALLOWER]\n{\n" +
                              damage + "[HIDDEN]\n{\n" + damage + "}\n";
  const std::string units =
      "[UNITINFO]\n{\nUnitName=Other;\nWeapon1=beam;\nWeapon2=;\nWeapon5=FLAK;\n"
      "Weapon6=FLAKX;\nWeapon33=NOPE;\nExplodeAs=HIDDEN;\n}\n";
  for (const char* game : {"later", "original"}) {
    const std::string id = game == std::string("later") ? "" : "ID=1;\n";
    std::string text = weapons;
    for (std::size_t at = 0; (at = text.find("{\n", at)) != std::string::npos; at += 2 + id.size())
      if (text.compare(at - 2, 2, "]\n") == 0) text.insert(at + 2, id);
    dir.write(std::string(game) + "/weapons/w.tdf", text);
    dir.write(std::string(game) + "/units/armflak.fbi", units);
    dir.write(std::string(game) + "/sounds/bang.wav", "RIFF");
    dir.write(std::string(game) + "/objects3d/shell.s3o", "s3o");
    dir.write(std::string(game) + "/objects3d/beam.s3o", "s3o");
  }
  const auto lint = [&](const char* game) {
    std::ostringstream out, err;
    LintOptions options;
    options.only = {"unknown-weapon,missing-sound,missing-model"};
    runLint(dir.path() / game, {}, options, out, err);
    std::string messages;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
      const std::size_t at = std::min(line.find(": error: "), line.find(": warning: "));
      messages += (at == std::string::npos ? line : line.substr(at + 2)) + "\n";
    }
    return messages;
  };
  EXPECT_EQ(lint("later"),
            "error: the unit 'armflak' names the weapon 'FLAKX', which the game does not have [unknown-weapon]\n"
            "error: the unit 'armflak' names the weapon 'HIDDEN', which the game does not have [unknown-weapon]\n"
            "warning: '[FLAK]' names the sound 'dry', which the game does not have [missing-sound]\n"
            "2 errors, 1 warnings in 1 files (engine: later)\n");
  EXPECT_EQ(lint("original"),
            "error: the unit 'Other' names the weapon 'HIDDEN', which the game does not have [unknown-weapon]\n"
            "warning: '[FLAK]' names the model 'shell', which the game does not have [missing-model]\n"
            "warning: '[BEAM]' names the model 'objects3d/Beam.S3O', which the game does not have [missing-model]\n"
            "1 errors, 2 warnings in 1 files (engine: original)\n");

  const auto refs = [&](const char* game, const char* weapon) {
    std::ostringstream out, err;
    EXPECT_EQ(runRefs(dir.path() / game, {}, weapon, false, out, err), 0);
    return out.str() + err.str();
  };
  const std::string unit = platform::utf8Of(dir.path() / "later" / "units" / "armflak.fbi");
  EXPECT_EQ(refs("later", "flak"), "armflak\tWeapon5\t" + unit + ":6\n1 units name flak\n");
  EXPECT_EQ(refs("original", "FLAK"), "0 units name FLAK\n");
  EXPECT_EQ(refs("later", "GONE"), "0 units name GONE\nnote: no weapon file of the game defines GONE\n");
  EXPECT_NE(refs("later", "HIDDEN").find("stands inside a block left open before it"), std::string::npos);
  std::filesystem::remove_all(dir.path() / "later" / "units");
  EXPECT_EQ(refs("later", "FLAK"),
            "0 units name FLAK\nnote: the game has no unit files (units/*.fbi): which units "
            "use FLAK cannot be told\n");
}

// A check named wrong is a usage error, also beside --list-checks.
TEST(ReferencesTest, ListChecksWithAnUnknownName) {
  test::TempDir dir;
  LintOptions options;
  options.listChecks = true;
  options.only = {"bogus"};
  std::ostringstream out, err;
  EXPECT_THROW(runLint(dir.path(), {}, options, out, err), UsageError);
}

}  // namespace
}  // namespace qm
