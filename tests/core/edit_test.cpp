// Editing weapons in place: the bytes an edit changes and the ones it keeps,
// refusals, the session's steps and saves, the diff, and the real mod files.
#include <gtest/gtest.h>

#include <atomic>

#include <cstdio>
#include <random>
#include <sstream>
#include <thread>

#include "catalogue/game_files.h"
#include "checks/tdf_reader.h"
#include "cli/cli.h"
#include "cli_run.h"
#include "edit/diff.h"
#include "edit/session.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "presentation/editing_state.h"
#include "support/archive_writer.h"
#include "support/scripted_host.h"
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
  EXPECT_EQ(edited(gun, {kSet, "GUN", "reloadtime", "1.5"}), gun);  // its own value: not a byte changes
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

// Each hunk names the block of its first changed line, as the game reads
// the blocks: a sub-block at column 1 is part of its weapon, a header inside
// a /* */ comment is no block.
TEST(EditDiffTest, HunksNameTheirBlock) {
  const std::string file =
      "[GUN]\n\t{\n\tid=1;\n[DAMAGE]\n\t{\n\tdefault=5;\n\t}\n\t}\n/*\n[OLD]\n\t{\n\tid=3;\n\t}\n*/\n"
      "x=0;\n[LASER] // beam\n{\nid=2;\n}\n";
  for (const auto& [at, header] : std::vector<std::pair<std::string, std::string>>{{"[GUN]", "[GUN]"},
                                                                                   {"id=1", "[GUN]"},
                                                                                   {"default=5", "[GUN]"},
                                                                                   {"\t}\n/*", "[GUN]"},
                                                                                   {"id=3", ""},
                                                                                   {"x=0", ""},
                                                                                   {"id=2", "[LASER]"}})
    EXPECT_EQ(edit::blockHeaderAt(file, file.find(at)), header) << at;
  EXPECT_EQ(edit::blockHeaderAt(file, file.size()), "");

  std::string changed = file;
  changed.replace(changed.find("default=5"), 9, "default=6");
  changed.replace(changed.find("id=2"), 4, "id=7");
  const std::string diff =
      edit::unifiedDiff("a", "b", file, changed, [&](std::size_t at) { return edit::blockHeaderAt(changed, at); });
  EXPECT_EQ(diff.substr(0, diff.find('\n', diff.find("@@"))), "--- a\n+++ b\n@@ -3,7 +3,7 @@ [GUN]") << diff;
  EXPECT_NE(diff.find("\n@@ -15,5 +15,5 @@ [LASER]\n"), std::string::npos) << diff;
}

// The lines an edit changes and the lines it adds are the ones the game
// reads, and new lines are ones the loader (show, the list) reads too.
TEST(EditModelTest, ChangesWhatTheGameReadsInAShapeTheListReads) {
  const struct {
    const char* file;
    Change change;
    const char* expected;  // a part of the file after
    const char* shown;     // what the loader then reads: "damage" entries or the value of the key
  } rows[] = {
      // The last line of a key counts, whatever its blanks and indent.
      {"[GUN]\n{\nreloadtime=5;\n\t\treloadtime = 6;\n}\n",
       {kSet, "GUN", "reloadtime", "7"},
       "reloadtime=5;\n\t\treloadtime =7;\n",
       "5"},
      {"[GUN]\n{\nreloadtime=5;\nreloadtime = 6;\n}\n",
       {kSet, "GUN", "reloadtime", "7"},
       "reloadtime=5;\nreloadtime =7;\n",
       "5"},
      // A copy of the block in a comment after the live one: the live one changes.
      {"[GUN]\n{\nid=1;\n}\n/*\n[GUN]\n{\nid=2;\n}\n*/\n", {kSet, "GUN", "id", "3"}, "[GUN]\n{\nid=3;\n}\n/*", "2"},
      {"[GUN]\n{\nid=1;\n}\n// [GUN]\n[GUN] /* a */\n{\nid=2;\n}\n", {kSet, "GUN", "id", "3"}, "id=3;\n}\n", "3"},
      // New keys and [DAMAGE] blocks where the loader reads them, whatever
      // the weapon's indent.
      {"[GUN]\n{\n\t\tid=1;\n}\n",
       {kSet, "GUN", "damage.default", "5"},
       "\t\tid=1;\n\t[DAMAGE]\n\t\t{\n\t\tdefault=5;\n\t\t}\n}\n",
       "default=5"},
      {"[GUN]\n{\n    id=1;\n}\n",
       {kSet, "GUN", "damage.default", "5"},
       "    id=1;\n\t[DAMAGE]\n\t\t{\n\t\tdefault=5;\n\t\t}\n}\n",
       "default=5"},
      {"[GUN]\n{\n id=1;\n}\n",
       {kSet, "GUN", "damage.default", "5"},
       " id=1;\n [DAMAGE]\n\t\t{\n\t\tdefault=5;",
       "default=5"},
      {"[GUN]\n{\n    id=1;\n}\n", {kSet, "GUN", "range", "5"}, "    id=1;\n\trange=5;\n}", "5"},
      {"[GUN]\n{\nid=1;\n[DAMAGE]\n {\n    default=5;\n }\n}\n",
       {kSet, "GUN", "damage.ARMCOM", "6"},
       "    default=5;\n\t\tARMCOM=6;\n",
       "ARMCOM=6"},
  };
  for (const auto& row : rows) {
    const std::string out = edited(row.file, row.change);
    EXPECT_NE(out.find(row.expected), std::string::npos) << row.file << "\n" << out;
    CurrentWeapon shown;
    bool carry = false;
    searchFile(out, "GUN", shown, carry);
    if (edit::splitKey(row.change.key).damage) {
      EXPECT_NE(std::find(shown.damage.begin(), shown.damage.end(), row.shown), shown.damage.end()) << out;
      // The braces stay where the loader and the game agree: a later edit is made.
      EXPECT_FALSE(edited(out, {kSet, "GUN", row.change.key, "9"}).starts_with("refused")) << out;
    } else {
      for (const FieldRow& f : kFields)
        if (f.isKeyLine() && toLower(f.key) == row.change.key) {
          EXPECT_EQ(shown[f.slot], row.shown) << out;
        }
    }
  }
  // The note where Actual Mode shows another line: only for a key it shows.
  const std::string twice = "[GUN]\n{\nreloadtime=5;\n  reloadtime=6;\n  weapontype=x;\n}\n";
  EXPECT_TRUE(edit::readingNote(edit::readKey(twice, "GUN", "reloadtime"), "reloadtime"));
  EXPECT_FALSE(edit::readingNote(edit::readKey(twice, "GUN", "weapontype"), "weapontype"));
  EXPECT_FALSE(edit::readingNote(edit::readKey("[GUN]\n{\nreloadtime=5;\n}\n", "GUN", "reloadtime"), "reloadtime"));
}

// Diffs are minimal (as few lines removed and added as can be) and every
// hunk names its lines on both sides, over many random edits.
TEST(EditDiffTest, MinimalAndCountedRightOverRandomEdits) {
  std::mt19937 random(29);
  const auto lines = [](const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at);
      out.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    return out;
  };
  for (int round = 0; round < 300; ++round) {
    std::string a, b;
    const int n = 5 + static_cast<int>(random() % 30);
    for (int i = 0; i < n; ++i) {
      const std::string line = std::string(1, static_cast<char>('a' + random() % 4)) + "\n";
      a += line;
      const unsigned r = random() % 10;
      if (r == 0) continue;                                                           // removed
      if (r == 1) b += std::string(1, static_cast<char>('a' + random() % 4)) + "\n";  // replaced
      if (r == 2) b += "x\n";                                                         // added before
      if (r != 1) b += line;
    }
    const std::vector<std::string> la = lines(a), lb = lines(b);
    // The longest common subsequence, by the book.
    std::vector<std::vector<int>> lcs(la.size() + 1, std::vector<int>(lb.size() + 1, 0));
    for (std::size_t i = la.size(); i-- > 0;)
      for (std::size_t j = lb.size(); j-- > 0;)
        lcs[i][j] = la[i] == lb[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    const std::string diff = edit::unifiedDiff("f", a, b);
    std::size_t removed = 0, added = 0;
    std::size_t shift = 0;  // lines the hunks so far added less removed
    std::istringstream in(diff);
    std::string line;
    std::getline(in, line), std::getline(in, line);
    while (std::getline(in, line)) {
      if (line.starts_with("@@")) {
        std::size_t fromA = 0, countA = 0, fromB = 0, countB = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "@@ -%zu,%zu +%zu,%zu @@", &fromA, &countA, &fromB, &countB), 4) << line;
        // Each side's start counts that side's lines: they differ by what
        // the hunks before added or removed.
        if (countA > 0 && countB > 0) {
          EXPECT_EQ(fromB, fromA + shift) << diff;
        }
        shift += countB - countA;
        continue;
      }
      removed += line[0] == '-';
      added += line[0] == '+';
    }
    EXPECT_EQ(removed, la.size() - static_cast<std::size_t>(lcs[0][0])) << diff;
    EXPECT_EQ(added, lb.size() - static_cast<std::size_t>(lcs[0][0])) << diff;
  }
}

// A change made again on a file another program changed: where its lines
// still match, and only there.
TEST(EditDiffTest, ChangesMadeAgainWhereTheirLinesStillMatch) {
  const std::string before = "a\nb\nc\nd\ne\nf\ng\n", after = "a\nB\nc\nd\ne\nF\ng\n";
  const struct {
    const char* fresh;
    const char* expected;
    std::size_t made, dropped;
  } rows[] = {
      {"a\nb\nc\nd\ne\nf\ng\n", "a\nB\nc\nd\ne\nF\ng\n", 2, 0},
      {"top\na\nb\nc\nd\nX\nf\ng\n", "top\na\nB\nc\nd\nX\nf\ng\n", 1, 1},    // f's line before changed
      {"a\nb\nc\na\nb\nc\ne\nf\ng\n", "a\nb\nc\na\nb\nc\ne\nF\ng\n", 1, 1},  // b's lines twice: which one?
      {"a\nb2\nc\nd\ne\nf\ng\n", "a\nb2\nc\nd\ne\nF\ng\n", 1, 1},            // b changed by the other program
  };
  for (const auto& r : rows) {
    const edit::Remade m = edit::remakeChange(before, after, r.fresh);
    EXPECT_EQ(m.bytes, r.expected) << r.fresh;
    EXPECT_EQ(m.made, r.made) << r.fresh;
    EXPECT_EQ(m.dropped, r.dropped) << r.fresh;
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
  EXPECT_EQ(t.save().refusal.value_or(""),
            platform::utf8Of(file("cannons.tdf")) + ": the file is read-only; nothing was written");
}

// Two edits of one file started together, over and over: every edit that
// says it was saved is in the file, and when both read the file before
// either wrote, one of them is refused.
TEST_F(EditSessionTest, TwoSavesAtOnceLoseNothing) {
  for (int round = 0; round < 40; ++round) {
    dir_.write("weapons/lasers.tdf", "[LASER]\r\n\t{\r\n\tid=5;\r\n\trange=300;\r\n\t}\r\n");
    std::atomic<int> ready = 0;
    bool saved[2] = {false, false};
    const auto edit = [&](int who) {
      edit::Session s = open();
      ASSERT_TRUE(s.apply({{kSet, "LASER", who == 0 ? "range" : "id", who == 0 ? "400" : "6"}}).step);
      // Both have read the file before either writes.
      ++ready;
      while (ready < 2) std::this_thread::yield();
      saved[who] = !s.save(false).refusal;
    };
    std::thread first(edit, 0), second(edit, 1);
    first.join(), second.join();
    const std::string now = test::readFile(file("lasers.tdf"));
    EXPECT_EQ(saved[0], now.find("range=400;") != std::string::npos) << round;
    EXPECT_EQ(saved[1], now.find("id=6;") != std::string::npos) << round;
    EXPECT_EQ(saved[0] + saved[1], 1) << round;
  }
  // The replace looks a last time, with the new bytes on disk: a refusal
  // then leaves the file as it was, and no temporary file behind.
  platform::ReplaceOptions last;
  last.lastCheck = [] { return std::optional<std::string>("changed on disk"); };
  const std::string before = test::readFile(file("lasers.tdf"));
  EXPECT_EQ(platform::replaceFile(file("lasers.tdf"), "new", last), "changed on disk");
  EXPECT_EQ(test::readFile(file("lasers.tdf")), before);
  for (const auto& entry : std::filesystem::directory_iterator(file("lasers.tdf").parent_path()))
    EXPECT_FALSE(platform::isTemporaryName(platform::utf8Of(entry.path().filename())));
}

// A file another program changed: read again before the next edit when it
// has no unsaved edits, and on Revert; with unsaved edits, refused at the
// save, then read again with the edits made again, or written over.
TEST_F(EditSessionTest, FilesChangedOnDiskAreReadAgain) {
  edit::Session s = open();
  const edit::Applied first = s.apply({{kSet, "GUN", "id", "7"}});
  ASSERT_TRUE(first.step);
  ASSERT_FALSE(s.save().refusal);
  dir_.write("weapons/cannons.tdf", "[GUN]\n\t{\n\tid=7;\n\trange=1;\n\t}\n");
  const edit::Applied next = s.apply({{kSet, "GUN", "burst", "2"}});
  ASSERT_TRUE(next.step);
  EXPECT_EQ(next.reread, std::vector<std::size_t>{0});
  EXPECT_EQ(s.bytes(0), "[GUN]\n\t{\n\tid=7;\n\trange=1;\n\tburst=2;\n\t}\n");
  dir_.write("weapons/cannons.tdf", "[GUN]\n\t{\n\tid=8;\n\trange=1;\n\t}\n");
  s.revert();
  EXPECT_EQ(s.bytes(0), test::readFile(file("cannons.tdf")));

  ASSERT_TRUE(s.apply({{kSet, "GUN", "range", "5"}}).step);
  dir_.write("weapons/cannons.tdf", "// new\n[GUN]\n\t{\n\tid=8;\n\trange=1;\n\t}\n");
  const edit::Saved refused = s.save();
  EXPECT_EQ(refused.changedOnDisk, std::optional<std::size_t>(0));
  const edit::Reloaded again = s.reloadKeepingEdits(0);
  EXPECT_EQ(again.made, 1u);
  EXPECT_EQ(s.bytes(0), "// new\n[GUN]\n\t{\n\tid=8;\n\trange=5;\n\t}\n");
  ASSERT_FALSE(s.save().refusal);
  EXPECT_EQ(test::readFile(file("cannons.tdf")), "// new\n[GUN]\n\t{\n\tid=8;\n\trange=5;\n\t}\n");

  ASSERT_TRUE(s.apply({{kSet, "GUN", "range", "6"}}).step);
  dir_.write("weapons/cannons.tdf", "[GUN]\n\t{\n\tid=3;\n\t}\n");
  EXPECT_TRUE(s.changedOnDisk(0));
  s.takeDiskAsRead(0);
  ASSERT_FALSE(s.save().refusal);
  EXPECT_EQ(test::readFile(file("cannons.tdf")), "// new\n[GUN]\n\t{\n\tid=8;\n\trange=6;\n\t}\n");
}

// A weapon whose last header sits in a comment: the live block is changed
// and both lines are named.
TEST_F(EditSessionTest, ACommentedCopyIsNamed) {
  dir_.write("weapons/cannons.tdf", "[GUN]\n\t{\n\tid=6;\n\t}\n/*\n[GUN]\n\t{\n\tid=2;\n\t}\n*/\n");
  edit::Session s = open();
  const edit::Applied a = s.apply({{kSet, "GUN", "id", "7"}});
  ASSERT_TRUE(a.step);
  EXPECT_EQ(s.bytes(0), "[GUN]\n\t{\n\tid=7;\n\t}\n/*\n[GUN]\n\t{\n\tid=2;\n\t}\n*/\n");
  ASSERT_FALSE(a.step->notes.empty());
  EXPECT_NE(a.step->notes[0].find("cannons.tdf:6, sits inside a /* */ comment"), std::string::npos) << a.step->notes[0];
  EXPECT_NE(a.step->notes[0].find("cannons.tdf:1, is the one changed"), std::string::npos);
  EXPECT_TRUE(a.step->commentedCopy);
}

// The window's state when its save is refused because another program
// changed the file: it asks before anything of the user's is dropped; Yes
// reads the file again with the edits made again, No keeps the edits to be
// written over it.
TEST_F(EditSessionTest, ARefusedSaveOffersToReadTheFileAgain) {
  for (const Answer answer : {Answer::Yes, Answer::No}) {
    dir_.write("weapons/lasers.tdf", "[LASER]\r\n\t{\r\n\tid=5;\r\n\trange=300;\r\n\t}\r\n");
    test::ScriptedHost host;
    MainWindowState window(dir_.path(), host);
    window.rebuildList();
    EditingState editing(window, host);
    ASSERT_TRUE(editing.apply({{kSet, "LASER", "range", "400"}}));
    dir_.write("weapons/lasers.tdf", "// other\r\n[LASER]\r\n\t{\r\n\tid=5;\r\n\trange=300;\r\n\t}\r\n");
    host.messages.clear();
    host.answers = {answer};
    EXPECT_FALSE(editing.save());
    ASSERT_EQ(host.buttons.back(), Buttons::YesNo);
    EXPECT_NE(host.messages.back().find("changed on disk"), std::string::npos) << host.messages.back();
    EXPECT_TRUE(editing.unsaved());
    EXPECT_TRUE(editing.save());
    EXPECT_EQ(test::readFile(file("lasers.tdf")),
              answer == Answer::Yes ? "// other\r\n[LASER]\r\n\t{\r\n\tid=5;\r\n\trange=400;\r\n\t}\r\n"
                                    : "[LASER]\r\n\t{\r\n\tid=5;\r\n\trange=400;\r\n\t}\r\n");
  }
}

TEST_F(EditSessionTest, ArchivedWeaponsGoToTheLooseFile) {
  std::filesystem::remove_all(dir_.path() / "weapons");
  const std::string inside = "[ROCKET]\n{\nid=9;\n}\n";
  const std::string archive = test::writeArchive({{"weapons/rockets.tdf", inside}}).bytes;
  dir_.write("rev31.gp3", archive);
  dir_.write("Weapons/readme.txt", "");
  edit::Session s = open({namedWeaponFile(platform::utf8Of(dir_.path() / "rev31.gp3") + "/weapons/rockets.tdf")});
  // The import of an archive: nothing can be written for it.
  EXPECT_NE(s.apply({{kSet, "ROCKET", "id", "1"}}).refusal.find("imported archive"), std::string::npos);

  edit::Session game = open();
  ASSERT_TRUE(game.apply({{kSet, "ROCKET", "id", "1"}}).step);
  ASSERT_TRUE(game.fromArchive(0));
  EXPECT_EQ(game.target(0), dir_.path() / "Weapons" / "rockets.tdf");
  // The diff compares the archive's file with the loose file the save makes.
  const std::string archived = platform::utf8Of(dir_.path() / "rev31.gp3") + "/weapons/rockets.tdf";
  const std::string loose = platform::utf8Of(game.target(0));
  EXPECT_EQ(game.diff(0),
            "--- " + archived + "\n+++ " + loose + "\n@@ -1,4 +1,4 @@ [ROCKET]\n [ROCKET]\n {\n-id=9;\n+id=1;\n }\n");
  ASSERT_FALSE(game.save().refusal);
  EXPECT_EQ(test::readFile(dir_.path() / "Weapons" / "rockets.tdf"), "[ROCKET]\n{\nid=1;\n}\n");
  // Once written, the loose file is the one changed.
  ASSERT_TRUE(game.apply({{kSet, "ROCKET", "id", "2"}}).step);
  EXPECT_EQ(game.diff(0).substr(0, game.diff(0).find("\n@@")), "--- " + loose + "\n+++ " + loose);
  EXPECT_EQ(test::readFile(dir_.path() / "rev31.gp3"), archive);
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Weapons" / "rockets.tdf.bak"));
}

TEST_F(EditSessionTest, CommandLine) {
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "set");
    return test::cli(std::move(args), dir_.path());
  };
  const std::string cannons = test::readFile(file("cannons.tdf"));
  const auto [dry, diff, warnings] = run({"GUN", "id=5", "damage.default=x", "--dry-run"});
  EXPECT_EQ(dry, 0);
  EXPECT_EQ(diff, "--- " + platform::utf8Of(file("cannons.tdf")) + "\n+++ " + platform::utf8Of(file("cannons.tdf")) +
                      "\n@@ -1,4 +1,8 @@ [GUN]\n [GUN]\n "
                      "\t{\n-\tid=6;\n+\tid=5;\n+\t[DAMAGE]\n+\t\t{\n+\t\tdefault=x;\n+\t\t}\n \t}\n");
  EXPECT_NE(warnings.find(platform::utf8Of(file("cannons.tdf")) +
                          ":3:2: error: the ID 5 of '[GUN]' is also the ID of '[LASER]'"),
            std::string::npos)
      << warnings;
  EXPECT_NE(warnings.find(":6:3: error: the value 'x' of 'default' is not a number [not-a-number]"), std::string::npos);
  EXPECT_EQ(test::readFile(file("cannons.tdf")), cannons);
  for (auto args : {std::vector<std::string>{"GUN", "id=5;"}, {"GUN", "--remove", "range"}, {"NOPE", "id=1"}})
    EXPECT_EQ(run(args).status, 1) << args[1];
  EXPECT_EQ(run({"GUN"}).status, 2);
  EXPECT_EQ(run({"GUN", "novalue"}).status, 2);
  EXPECT_EQ(test::readFile(file("cannons.tdf")), cannons);
  EXPECT_EQ(run({"GUN", "id=7", "--no-backup"}).status, 0);
  EXPECT_EQ(test::readFile(file("cannons.tdf")), "[GUN]\n\t{\n\tid=7;\n\t}\n");
  EXPECT_FALSE(std::filesystem::exists(file("cannons.tdf") += ".bak"));

  // The line changed is the last of the key, the one the game reads; where
  // Actual Mode shows another line (or none), the warning says so. A key
  // Actual Mode does not show is not warned of.
  test::writeGame(dir_, {{"cannons.tdf", "[GUN]\n{\nid=7;\nreloadtime=5;\n\t\treloadtime = 10 ;\nrange=5;\n}\n"}});
  const struct {
    const char* assignment;
    const char* line;
    const char* warning;
  } cases[] = {
      {"reloadtime=2", "+\t\treloadtime =2;\n",
       "warning: reloadtime: the game reads the line changed, 'reloadtime =2;'; Actual Mode and the list show '5' "
       "from another line, 'reloadtime=5;'\n"},
      {"range=6", "+range=6;\n", ""},
      {"weapontype=LaserCannon", "+weapontype=LaserCannon;\n", ""},
  };
  for (const auto& c : cases) {
    const auto [status, diff, err] = run({"GUN", c.assignment, "--dry-run"});
    EXPECT_EQ(status, 0);
    EXPECT_NE(diff.find(c.line), std::string::npos) << diff;
    EXPECT_EQ(err, c.warning) << c.assignment;
  }

  // A weapon given its own ID again clashes with no one.
  {
    const std::filesystem::path sample = std::filesystem::path(QM_SOURCE_DIR) / "sample-game";
    EXPECT_EQ(test::cli({"set", "VALK_LIGHTGUN", "id=12", "--dry-run"}, sample).err, "");
    const test::CliRun clash = test::cli({"set", "VALK_LIGHTGUN", "id=3", "--dry-run"}, sample);
    EXPECT_NE(clash.err.find("is also the ID of"), std::string::npos) << clash.err;
  }

  // Arguments are UTF-8, written as Windows-1252; a character it lacks, or
  // an argument that is not UTF-8, is refused.
  const struct {
    std::string assignment;
    int status;
    std::string written;
  } texts[] = {
      {"name=K\xc3\xa9 \xe2\x82\xac", 0, "name=K\xe9 \x80;"},
      {"name=K\xc5\x91", 1, ""},
      {"name=K\xf0\x9f\x98\x80", 1, ""},
      {"name=\xe9 \xc3\xa9", 1, ""},
  };
  for (const auto& t : texts) {
    const std::string before = test::readFile(file("cannons.tdf"));
    const auto [status, diff, err] = run({"GUN", t.assignment});
    EXPECT_EQ(status, t.status) << t.assignment << err;
    if (t.status == 0) {
      EXPECT_NE(test::readFile(file("cannons.tdf")).find(t.written), std::string::npos);
    } else {
      EXPECT_EQ(test::readFile(file("cannons.tdf")), before);
      EXPECT_NE(err.find("nothing was written"), std::string::npos) << err;
    }
  }
}

// ota-mirddes's WEAPONS.TDF ends with [VTOL_FOOMISSILE] inside a /* */
// comment, which the list and Actual Mode show. With a live copy in an
// earlier file the live copy is changed and both lines are named; alone, the
// weapon is refused as one the game does not have.
TEST(EditCorpusTest, ACommentedLastCopyOfOtaMirddes) {
  const std::filesystem::path source = std::filesystem::path(QM_CORPUS_DIR) / "ota-mirddes" / "weapons" / "WEAPONS.TDF";
  if (!std::filesystem::exists(source)) GTEST_SKIP() << "no corpus file " << source;
  const std::string weapons = test::readFile(source);
  test::TempDir dir;
  test::writeGame(dir, {{"weapons.tdf", weapons}, {"missiles.tdf", "[VTOL_FOOMISSILE]\n\t{\n\tname=Live;\n\t}\n"}});
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "set");
    return test::cli(std::move(args), dir.path());
  };
  const auto [status, diff, err] = run({"VTOL_FOOMISSILE", "name=Changed"});
  EXPECT_EQ(status, 0) << err;
  EXPECT_NE(err.find("weapons.tdf:1384, sits inside a /* */ comment"), std::string::npos) << err;
  EXPECT_NE(err.find("missiles.tdf:1, is the one changed"), std::string::npos) << err;
  EXPECT_EQ(test::readFile(dir.path() / "weapons" / "missiles.tdf"), "[VTOL_FOOMISSILE]\n\t{\n\tname=Changed;\n\t}\n");
  EXPECT_EQ(test::readFile(dir.path() / "weapons" / "weapons.tdf"), weapons);

  std::filesystem::remove(dir.path() / "weapons" / "missiles.tdf");
  const auto [alone, none, why] = run({"VTOL_FOOMISSILE", "name=Changed"});
  EXPECT_EQ(alone, 1);
  EXPECT_NE(why.find("is only in a /* */ comment, at"), std::string::npos) << why;
  EXPECT_EQ(test::readFile(dir.path() / "weapons" / "weapons.tdf"), weapons);
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

// Over every weapon of every file of the real mod files: the edit model reads
// each key as the game's reader does; each key set to its own value gives the
// file back; set to a new value, only its line changes and both readers read
// the new value; removed and added again, it reads as
// before. The keys are walked in the weapon's block cut out of its file (a
// file of its own), one key per weapon in the whole file.
TEST(EditCorpusTest, LosslessOnEveryWeapon) {
  const std::filesystem::path corpus = QM_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  std::size_t weapons = 0, keys = 0, refused = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    // The weapon files: the unit files beside them are another format.
    if (!entry.is_regular_file() || toLower(platform::utf8Of(entry.path().extension())) != ".tdf") continue;
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
        // The edit model reads the key as the game's reader does.
        EXPECT_EQ(before.game, *old) << w.name << " " << key;
        EXPECT_EQ(after.game, "Q7") << w.name << " " << key;
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
      if (!test::inDepth(weapons)) continue;
      for (const std::string& key : blockKeys) check(block, key, false), ++keys;
      if (!blockKeys.empty()) check(file, blockKeys.front(), true);
    }
  }
  // Every weapon the loader finds (three headers are indented); seventeen
  // laid out so that the loader and the game part are refused.
  EXPECT_EQ(weapons, 3743u);
  EXPECT_EQ(refused, 17u);
  EXPECT_GT(keys, 100000u / test::kCorpusStride);
}

}  // namespace
}  // namespace qm
