// Editing weapons in place: the bytes an edit changes and the ones it keeps,
// refusals, the session's steps and saves, the diff, and the real mod files.
#include <gtest/gtest.h>

#include <sstream>

#include "catalogue/game_files.h"
#include "checks/tdf_reader.h"
#include "cli/cli.h"
#include "edit/diff.h"
#include "edit/session.h"
#include "support/archive_writer.h"
#include "test_support.h"
#include "text/text.h"
#include "weapon/loader.h"

namespace qm {
namespace {

using edit::Change;
constexpr auto kSet = Change::Kind::Set;
constexpr auto kRemove = Change::Kind::Remove;

// What one change makes of a file, or the start of its refusal.
std::string edited(std::string bytes, const Change& c) {
  std::vector<edit::Splice> done;
  if (auto refusal = edit::applyChange(bytes, c, done)) return "refused: " + *refusal;
  return bytes;
}

TEST(EditModelTest, OnlyTheValueOrANewLineChanges) {
  const std::string gun =
      "// top\r\n[GUN]\r\n\t{\r\n\tID=3;\r\n\tReloadTime = 1.5 ; // slow\r\n\trange=300 // far\r\n"
      "\t/* range=1; */\r\n\t[DAMAGE]\r\n\t\t{\r\n\t\tdefault=50;\r\n\t\t}\r\n\t}\r\n";
  const std::string bare = "[gun]\n{\nid=9;\n}\n[GUN]\n{\nid=1;\nrange=2;\n[SUB]\n{\nburst=4;\n}\nrange=5;\n}\n";
  struct Row {
    const std::string* file;
    Change change;
    std::string expected;
  } rows[] = {
      // The span from "=" to ";" goes, the key's spelling, blanks and comment stay.
      {&gun, {kSet, "gun", "reloadtime", "1.2"}, "\tReloadTime =1.2; // slow\r\n"},
      // No ";": one comes after the value, before the comment.
      {&gun, {kSet, "GUN", "range", "400"}, "\trange=400; // far\r\n\t/* range=1; */"},
      // A missing key follows the last key line, indented and ended like it
      // (the commented key does not count).
      {&gun, {kSet, "GUN", "burst", "3"}, "\trange=300 // far\r\n\tburst=3;\r\n\t/* range"},
      {&gun, {kSet, "GUN", "damage.default", "60"}, "\t\tdefault=60;\r\n"},
      {&gun, {kSet, "GUN", "Damage.ARMCOM", "7"}, "\t\tdefault=50;\r\n\t\tARMCOM=7;\r\n\t\t}"},
      {&gun, {kRemove, "GUN", "ID", ""}, "[GUN]\r\n\t{\r\n\tReloadTime"},
      // The last block of the name, its last line of the key at its own level.
      {&bare, {kSet, "GUN", "range", "6"}, "range=2;\n[SUB]\n{\nburst=4;\n}\nrange=6;\n}"},
      {&bare, {kSet, "GUN", "burst", "3"}, "burst=4;\n}\nrange=5;\nburst=3;\n}\n"},
      {&bare, {kRemove, "GUN", "range", ""}, "id=1;\n[SUB]\n{\nburst=4;\n}\n}\n"},
      {&bare, {kSet, "gun", "damage.default", "8"}, "range=5;\n[DAMAGE]\n\t{\n\tdefault=8;\n\t}\n}\n"},
      // Refusals.
      {&gun, {kSet, "GUN", "range", "1;2"}, "refused: the value of range may not hold ';'"},
      {&gun, {kSet, "GUN", "range", "{"}, "refused: the value of range may not hold"},
      {&gun, {kSet, "GUN", "range", "a\nb"}, "refused: the value of range may not hold"},
      {&gun, {kSet, "GUN", "re load", "1"}, "refused: 're load' is not a key"},
      {&gun, {kSet, "GUN", "damage.", "1"}, "refused: 'damage.' is not a key"},
      {&gun, {kRemove, "GUN", "burst", ""}, "refused: [GUN] has no key burst"},
      {&gun, {kSet, "NONE", "burst", "1"}, "refused: [NONE] is not in the file"},
      {&bare, {kRemove, "GUN", "damage.default", ""}, "refused: [GUN] has no key damage.default"},
  };
  for (const Row& row : rows) {
    const std::string out = edited(*row.file, row.change);
    EXPECT_NE(out.find(row.expected), std::string::npos) << row.change.key << "=" << row.change.value << "\n" << out;
    if (out.starts_with("refused")) continue;
    // One hunk: nothing moved elsewhere in the file.
    const std::string diff = edit::unifiedDiff("f", *row.file, out);
    EXPECT_EQ(diff.find("\n@@", diff.find("\n@@") + 1), std::string::npos) << diff;
  }
  EXPECT_EQ(edited(gun, {kSet, "GUN", "reloadtime", " 1.5 "}), gun);  // its own value: not a byte changes
  EXPECT_EQ(edited("[GUN]\n{\nx=1; y=2;\n}\n", {kRemove, "GUN", "x", ""}).substr(0, 31),
            "refused: the line of x in [GUN]");
}

TEST(EditDiffTest, HunksWithThreeLinesOfContext) {
  std::string a;
  for (int i = 1; i <= 20; ++i) a += 'l' + std::to_string(i) + "\n";
  std::string b = a;
  b.replace(b.find("l2\n"), 3, "L2\n");
  b.replace(b.find("l18\n"), 4, "");
  b += "end";
  EXPECT_EQ(edit::unifiedDiff("w.tdf", a, b),
            "--- w.tdf\n+++ w.tdf\n@@ -1,5 +1,5 @@\n l1\n-l2\n+L2\n l3\n l4\n l5\n"
            "@@ -15,6 +15,6 @@\n l15\n l16\n l17\n-l18\n l19\n l20\n+end\n\\ No newline at end of file\n");
  // Changes far into a long file, with CR LF, CR and LF ends: the lines are
  // counted to the change, and what is the same at either end is not shown.
  for (const char* eol : {"\r\n", "\r", "\n"}) {
    std::string c;
    for (int i = 1; i <= 3000; ++i) c.append("l").append(std::to_string(i)).append(eol);
    std::string d = c;
    d.replace(d.find(std::string("l2990") + eol), 5, "L2990");
    d.replace(d.find(std::string("l1500") + eol), 5, "");
    const std::string diff = edit::unifiedDiff("w.tdf", c, d);
    EXPECT_NE(diff.find("@@ -1497,7 +1497,7 @@\n l1497\n"), std::string::npos) << eol;
    EXPECT_NE(diff.find("@@ -2987,7 +2987,7 @@\n l2987\n"), std::string::npos) << eol;
    EXPECT_EQ(diff.find("l2994"), std::string::npos) << eol;
  }
}

class EditSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::writeGame(dir_, {{"lasers.tdf", "[LASER]\r\n\t{\r\n\tid=5;\r\n\trange=300;\r\n\t}\r\n"},
                           {"cannons.tdf", "[GUN]\n\t{\n\tid=6;\n\t}\n"}});
  }
  edit::Session open(std::vector<WeaponFilePtr> imports = {}) {
    return edit::Session(dir_.path(), GameFiles(dir_.path()).standardFiles(), std::move(imports));
  }
  std::filesystem::path file(const char* name) const { return dir_.path() / "weapons" / name; }
  test::TempDir dir_;
};

TEST_F(EditSessionTest, StepsUndoRedoAndSave) {
  edit::Session s = open();
  const std::string laser = test::readFile(file("lasers.tdf"));
  const edit::Applied step = s.apply({{kSet, "laser", "range", "abc"}, {kSet, "GUN", "ID", "300"}});
  ASSERT_TRUE(step.step) << step.refusal;
  ASSERT_EQ(step.step->warnings.size(), 2u);
  EXPECT_EQ(step.step->warnings[0].check, check::kNotANumber.name);
  EXPECT_EQ(step.step->warnings[0].line, 4);
  EXPECT_EQ(step.step->warnings[1].check, check::kBadId.name);
  EXPECT_EQ(s.changedFiles().size(), 2u);
  s.undo(*step.step);
  EXPECT_FALSE(s.anyChanged());
  s.redo(*step.step);
  // A refused batch leaves the earlier steps as they were.
  EXPECT_FALSE(s.apply({{kSet, "LASER", "burst", "2"}, {kSet, "NOPE", "x", "1"}}).step);
  EXPECT_EQ(s.bytes(0), "[LASER]\r\n\t{\r\n\tid=5;\r\n\trange=abc;\r\n\t}\r\n");

  ASSERT_FALSE(s.save().refusal);
  EXPECT_EQ(test::readFile(file("lasers.tdf") += ".bak"), laser);
  EXPECT_EQ(test::readFile(file("cannons.tdf")), "[GUN]\n\t{\n\tid=300;\n\t}\n");
  // The backup is the file as it was before Quillmark's first change; the
  // next change is to the bytes saved, and a revert goes back to them.
  EXPECT_FALSE(s.anyChanged());
  ASSERT_TRUE(s.apply({{kSet, "LASER", "range", "9"}}).step);
  EXPECT_NE(s.diff(0).find("-\trange=abc;\n+\trange=9;\n"), std::string::npos) << s.diff(0);
  s.revert();
  EXPECT_FALSE(s.anyChanged());
  EXPECT_EQ(s.bytes(0), s.savedBytes(0));
  EXPECT_EQ(s.bytes(0), test::readFile(file("lasers.tdf")));
  ASSERT_TRUE(s.apply({{kSet, "LASER", "range", "9"}}).step);
  ASSERT_FALSE(s.save().refusal);
  EXPECT_EQ(test::readFile(file("lasers.tdf") += ".bak"), laser);
  EXPECT_EQ(test::readFile(file("lasers.tdf")), "[LASER]\r\n\t{\r\n\tid=5;\r\n\trange=9;\r\n\t}\r\n");
}

TEST_F(EditSessionTest, RefusesToWriteOverAChangeOrAReadOnlyFile) {
  edit::Session s = open();
  ASSERT_TRUE(s.apply({{kSet, "GUN", "id", "7"}, {kSet, "LASER", "id", "8"}}).step);
  // Same size, same time: the bytes tell.
  const auto time = std::filesystem::last_write_time(file("lasers.tdf"));
  dir_.write("weapons/lasers.tdf", "[LASER]\r\n\t{\r\n\tid=4;\r\n\trange=300;\r\n\t}\r\n");
  std::filesystem::last_write_time(file("lasers.tdf"), time);
  const edit::Saved changed = s.save();
  ASSERT_TRUE(changed.refusal);
  EXPECT_NE(changed.refusal->find("changed on disk"), std::string::npos);
  // Nothing written, the other file included.
  EXPECT_EQ(test::readFile(file("cannons.tdf")), "[GUN]\n\t{\n\tid=6;\n\t}\n");
  EXPECT_FALSE(std::filesystem::exists(file("cannons.tdf") += ".bak"));

  edit::Session t = open();
  ASSERT_TRUE(t.apply({{kSet, "GUN", "id", "7"}}).step);
  std::filesystem::permissions(file("cannons.tdf"), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  EXPECT_EQ(t.save().refusal.value_or(""), file("cannons.tdf").string() + ": the file is read-only");
}

TEST_F(EditSessionTest, ArchivedWeaponsGoToTheLooseFile) {
  std::filesystem::remove_all(dir_.path() / "weapons");
  const std::string inside = "[ROCKET]\n{\nid=9;\n}\n";
  const std::string archive = test::writeArchive({{"weapons/rockets.tdf", inside}}).bytes;
  dir_.write("rev31.gp3", archive);
  dir_.write("Weapons/readme.txt", "");
  edit::Session s = open({namedWeaponFile((dir_.path() / "rev31.gp3").string() + "/weapons/rockets.tdf")});
  // The import of an archive: nothing can be written for it.
  EXPECT_NE(s.apply({{kSet, "ROCKET", "id", "1"}}).refusal.find("imported archive"), std::string::npos);

  edit::Session game = open();
  ASSERT_TRUE(game.apply({{kSet, "ROCKET", "id", "1"}}).step);
  ASSERT_TRUE(game.fromArchive(0));
  EXPECT_EQ(game.target(0), dir_.path() / "Weapons" / "rockets.tdf");
  ASSERT_FALSE(game.save().refusal);
  EXPECT_EQ(test::readFile(dir_.path() / "Weapons" / "rockets.tdf"), "[ROCKET]\n{\nid=1;\n}\n");
  EXPECT_EQ(test::readFile(dir_.path() / "rev31.gp3"), archive);
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Weapons" / "rockets.tdf.bak"));
}

TEST_F(EditSessionTest, CommandLine) {
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--game", dir_.path().string(), "set"});
    std::ostringstream out, err;
    const int status = runCli(args, out, err);
    return std::make_tuple(status, out.str(), err.str());
  };
  const std::string cannons = test::readFile(file("cannons.tdf"));
  const auto [dry, diff, warnings] = run({"GUN", "id=5", "damage.default=x", "--dry-run"});
  EXPECT_EQ(dry, 0);
  EXPECT_EQ(
      diff,
      "--- " + file("cannons.tdf").string() + "\n+++ " + file("cannons.tdf").string() +
          "\n@@ -1,4 +1,8 @@\n [GUN]\n \t{\n-\tid=6;\n+\tid=5;\n+\t[DAMAGE]\n+\t\t{\n+\t\tdefault=x;\n+\t\t}\n \t}\n");
  EXPECT_NE(
      warnings.find(file("cannons.tdf").string() + ":3:2: error: the ID 5 of '[GUN]' is also the ID of '[LASER]'"),
      std::string::npos)
      << warnings;
  EXPECT_NE(warnings.find(":6:3: error: the value 'x' of 'default' is not a number [not-a-number]"), std::string::npos);
  EXPECT_EQ(test::readFile(file("cannons.tdf")), cannons);
  for (auto args : {std::vector<std::string>{"GUN", "id=5;"}, {"GUN", "--remove", "range"}, {"NOPE", "id=1"}})
    EXPECT_EQ(std::get<0>(run(args)), 1) << args[1];
  EXPECT_EQ(std::get<0>(run({"GUN"})), 2);
  EXPECT_EQ(std::get<0>(run({"GUN", "novalue"})), 2);
  EXPECT_EQ(test::readFile(file("cannons.tdf")), cannons);
  EXPECT_EQ(std::get<0>(run({"GUN", "id=7", "--no-backup"})), 0);
  EXPECT_EQ(test::readFile(file("cannons.tdf")), "[GUN]\n\t{\n\tid=7;\n\t}\n");
  EXPECT_FALSE(std::filesystem::exists(file("cannons.tdf") += ".bak"));

  // A key on a line the game does not read is changed, with a warning; one
  // on a line it reads is not warned of.
  test::writeGame(dir_, {{"cannons.tdf", "[GUN]\n{\nid=7;\n\t\treloadtime = 10 ;\nrange=5;\n}\n"}});
  const struct {
    const char* assignment;
    const char* warning;
  } cases[] = {
      {"reloadtime=2",
       "warning: reloadtime: the game does not read the line changed, \"reloadtime =2;\": edit it by hand\n"},
      {"range=6", ""},
  };
  for (const auto& c : cases) {
    const auto [status, diff, err] = run({"GUN", c.assignment, "--dry-run"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err, c.warning) << c.assignment;
  }
}

// What the loader and the game-style reader read of a key of a weapon.
struct Reads {
  std::optional<std::string> game;
  CurrentWeapon loader;
};
Reads readBoth(std::string_view bytes, std::string_view weapon, std::string_view key) {
  Reads r;
  std::vector<Finding> findings;
  const TdfDocument doc = readTdf(bytes, "f", findings);
  const edit::KeyName name = edit::splitKey(key);
  for (const TdfBlock& b : doc.blocks) {
    if (toLower(b.name) != toLower(weapon)) continue;
    for (const TdfBlock& inner : b.blocks)
      for (const TdfPair& p : inner.pairs)
        if (name.damage && toLower(inner.name) == "damage" && toLower(p.key) == toLower(name.key)) r.game = p.value;
    for (const TdfPair& p : b.pairs)
      if (!name.damage && toLower(p.key) == toLower(name.key)) r.game = p.value;
  }
  bool carry = false;
  searchFile(bytes, weapon, r.loader, carry);
  return r;
}

// Over every weapon of every file of the real mod files: each key set to its
// own value gives the file back; set to a new value, only its line changes
// and both readers read the new value; removed and added again, it reads as
// before. The keys are walked in the weapon's block cut out of its file (a
// file of its own), one key per weapon in the whole file.
TEST(EditCorpusTest, LosslessOnEveryWeapon) {
  const std::filesystem::path corpus = QM_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  std::size_t weapons = 0, keys = 0, refused = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    // The weapon files: the unit files beside them are another format.
    if (!entry.is_regular_file() || toLower(entry.path().extension().string()) != ".tdf") continue;
    const std::string file = test::readFile(entry.path());
    GameCheck names(GameCheck::Scope::CensusOnly);
    names.addFile("f", file);
    for (const WeaponRecord& w : names.weapons()) {
      const auto place = edit::findBlock(file, w.name);
      if (!place) continue;  // a header the loader does not see (indented)
      ++weapons;
      const std::string block = file.substr(place->begin, place->end - place->begin);
      const auto check = [&](const std::string& bytes, const std::string& key, bool whole) {
        const auto old = edit::valueOf(bytes, w.name, key);
        const Reads before = readBoth(bytes, w.name, key);
        EXPECT_EQ(edited(bytes, {kSet, w.name, key, *old}), bytes) << key;
        const std::string changed = edited(bytes, {kSet, w.name, key, "Q7"});
        // Between the bytes that stayed at the start and at the end, no line end.
        const std::size_t shorter = std::min(bytes.size(), changed.size());
        std::size_t head = 0, tail = 0;
        while (head < shorter && bytes[head] == changed[head]) ++head;
        while (tail < shorter - head &&
               bytes.end()[-1 - static_cast<long>(tail)] == changed.end()[-1 - static_cast<long>(tail)])
          ++tail;
        for (const std::string* s : {&bytes, &changed})
          EXPECT_EQ(s->substr(head, s->size() - head - tail).find_first_of("\r\n"), std::string::npos) << key;
        const Reads after = readBoth(changed, w.name, key);
        if (before.game == *old) {
          EXPECT_EQ(after.game, "Q7") << w.name << " " << key;
        }
        const Slot* slot = nullptr;
        for (const FieldRow& f : kFields)
          if (f.isKeyLine() && toLower(f.key) == toLower(key)) slot = &f.slot;
        if (slot && before.loader[*slot] == *old) {
          EXPECT_EQ(after.loader[*slot], "Q7") << w.name << " " << key;
        }
        if (whole) return;
        const std::string removed = edited(bytes, {kRemove, w.name, key, ""});
        if (removed.starts_with("refused")) return;  // a line holding other keys
        EXPECT_EQ(edit::valueOf(edited(removed, {kSet, w.name, key, *old}), w.name, key), old) << key;
      };
      const auto blockKeys = edit::keysOf(block, w.name);
      if (!blockKeys.empty() && edited(block, {kSet, w.name, blockKeys[0], "Q7"}).starts_with("refused")) {
        ++refused;  // braces the loader reads otherwise than the game
        continue;
      }
      for (const std::string& key : blockKeys) check(block, key, false), ++keys;
      if (!blockKeys.empty()) check(file, blockKeys.front(), true);
    }
  }
  // Every weapon the loader finds (three headers are indented); seventeen
  // laid out so that the loader and the game part are refused.
  EXPECT_EQ(weapons, 3743u);
  EXPECT_EQ(refused, 17u);
  EXPECT_GT(keys, 100000u);
}

}  // namespace
}  // namespace qm
