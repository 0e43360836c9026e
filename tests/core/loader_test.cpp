// The block grammar: which blocks are found and which of their lines reach
// the recogniser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/scan.h"
#include "test_support.h"
#include "weapon/block_walk.h"
#include "weapon/loader.h"

namespace qm {
namespace {

struct BlockCase {
  const char* what;
  std::string text;
  std::string name;  // the bracket name searched for
  bool found;
  std::string name1;  // the bracket name afterwards
  std::string range;  // Range afterwards
  std::vector<std::string> damage;
};

const BlockCase kBlocks[] = {
    {"a plain block",
     "[GUN]\n\t{\n\trange=600;\n\t[DAMAGE]\n\t\t{\n\t\tdefault=5;\n\t\t}\n\t}\n",
     "GUN",
     true,
     "GUN",
     "600",
     {"default=5"}},
    {"Windows-1252 letters in another case",
     "[\x9a\xe9\xffgun]\n{\nrange=1;\n}\n",
     "\x8a\xc9\x9fGUN",
     true,
     "\x9a\xe9\xffgun",
     "1",
     {}},
    {"a longer name does not match", "[GUNNER]\n{\nrange=1;\n}\n", "GUN", false, "", "", {"None"}},
    {"indented header is not a header", "\t[GUN]\n{\nrange=1;\n}\n", "GUN", false, "", "", {"None"}},
    {"text behind the bracket goes into the name", "[GUN] // x\n{\nrange=1;\n}\n", "GUN", true, "GUN] // ", "1", {}},
    {"a brace on the header line after its name does not open", "[GUN]{\nrange=2;\n}\n", "GUN", true, "GUN]", "", {}},
    {"comment between header and brace is passed over",
     "[GUN]\n// range=9;\n\t{\nrange=3;\n}\n",
     "GUN",
     true,
     "GUN",
     "3",
     {}},
    {"brace after two characters is not the opening",
     "[GUN]\n  {\nrange=4;\n{\nrange=5;\n}\n",
     "GUN",
     true,
     "GUN",
     "5",
     {}},
    {"closing brace after two tabs closes", "[GUN]\n{\n\t\t}\nrange=6;\n[GUN2]\n", "GUN", true, "GUN", "", {}},
    {"closing brace after three characters does not", "[GUN]\n{\n   }\nrange=7;\n}\n", "GUN", true, "GUN", "7", {}},
    {"a line that ends the block is no header of its name",
     "[}]\n{\nrange=1;\n[}]\n{\nrange=2;\n}\n",
     "}",
     true,
     "}",
     "1",
     {}},
    {"the last block wins", "[GUN]\n{\nrange=1;\n[DAMAGE]\n{\nd=1;\n}\n}\n[GUN]\n{\n}\n", "GUN", true, "GUN", "", {}},
    {"file ends inside the block", "[GUN]\n{\nrange=8;\n[DAMAGE]\n{\nd=1;", "GUN", true, "GUN", "8", {"d=1"}},
    {"blocks of other weapons are skipped, nested blocks read through",
     "[A]\n{\nrange=1;\n}\n[GUN]\n{\n[X]\n{\n}\nrange=9;\n}\nrange=10;\n",
     "GUN",
     true,
     "GUN",
     "9",
     {}},
};

TEST(LoaderTest, BlockGrammar) {
  for (const BlockCase& c : kBlocks) {
    CurrentWeapon w;  // starts with the list box's "None"
    bool carry = false;
    EXPECT_EQ(searchFile(c.text, c.name, w, carry), c.found) << c.what;
    EXPECT_EQ(w[Slot::BracketName], c.name1) << c.what;
    EXPECT_EQ(w[Slot::Range], c.range) << c.what;
    EXPECT_EQ(w.damage, c.damage) << c.what;
    // Read in pieces through buffers of any size, a few bytes a read: the same.
    for (std::size_t buffer = 1; buffer <= 9; ++buffer) {
      CurrentWeapon pieced;
      bool piecedCarry = false;
      EXPECT_EQ(loadWeapon(c.name, {test::pieced(c.text, buffer, 4)}, pieced, piecedCarry).found, c.found) << c.what;
      EXPECT_TRUE(pieced.v == w.v && pieced.damage == w.damage && piecedCarry == carry) << c.what << " " << buffer;
    }
  }
}

// A file that fails part way is passed over as if it had not been read: the
// weapon and the open damage block stay as the earlier files left them.
TEST(LoaderTest, FileFailingPartWayChangesNothing) {
  const std::string gun = "[GUN]\n{\nrange=1;\n[DAMAGE]\n{\n", later = "d=2;\n}\n}\n[GUN]\n{\nrange=2;\n}\n";
  for (std::size_t failAt = 0; failAt <= later.size(); ++failAt) {
    CurrentWeapon w;
    bool carry = false;
    const LoadOutcome out = loadWeapon("GUN", {test::pieced(gun, 4, 4), test::pieced(later, 4, 3, failAt)}, w, carry);
    EXPECT_TRUE(out.found && carry && w[Slot::Range] == "1" && w.damage.empty()) << failAt;
    EXPECT_EQ(out.unreadable.size(), 1u) << failAt;
  }
}

// The weapon comes from the last file that has it; a weapon not found leaves
// the one shown.
TEST(LoaderTest, LaterFilesWinAndNotFoundKeepsTheWeapon) {
  test::TempDir dir;
  const auto a = dir.write("a.tdf", "[GUN]\r\n\t{\r\n\trange=1;\r\n\t}\r\n");
  const auto b = dir.write("b.tdf", "[gun]\r\n\t{\r\n\trange=3;\r\n\t}\r\n");
  CurrentWeapon w;
  bool carry = false;
  EXPECT_TRUE(loadWeapon("GUN", {looseFile(a), looseFile(b)}, w, carry).found);
  EXPECT_EQ(w[Slot::Range], "3");

  EXPECT_FALSE(loadWeapon("NONE", {looseFile(a), looseFile(b)}, w, carry).found);
  EXPECT_EQ(w[Slot::Range], "3");
  EXPECT_EQ(w[Slot::BracketName], "gun");
}

// A key=value pair as the game reads it, which the game checks' reader and
// the edit model both take: key and value, blanks around them left out, and
// whether a ";" ends it. "-" for no pair.
TEST(LoaderTest, PairsAsTheGameReadsThem) {
  const struct {
    const char* text;
    const char* key;
    const char* value;
    bool semicolon;
  } rows[] = {
      {"reloadtime=10;", "reloadtime", "10", true},
      {"reloadtime = 10 ;", "reloadtime", "10", true},
      {"reloadtime=10 // slow", "reloadtime", "10", false},
      {"reloadtime=10/*x*/;", "reloadtime", "10", false},
      {"reloadtime=a//b;", "reloadtime", "a", false},
      {"range=5}", "range", "5", false},
      {"range=\t;", "range", "", true},
      {"range=", "range", "", false},
      {"range=1=2;", "range", "1=2", true},
      {"name=Big Gun;rest", "name", "Big Gun", true},
      {"reload time=1;", "reload time", "1", true},
      {"=5;", "-", "", false},
      {"range;=5", "-", "", false},
      {"range{=5;", "-", "", false},
      {"range//=5;", "-", "", false},
      {"range\n=5;", "-", "", false},
  };
  for (const auto& r : rows) {
    const std::string_view text = r.text;
    const auto cut = cutPair(text, 0);
    ASSERT_EQ(cut.has_value(), std::string_view(r.key) != "-") << r.text;
    if (!cut) continue;
    EXPECT_EQ(text.substr(cut->key, cut->keyEnd - cut->key), r.key) << r.text;
    EXPECT_EQ(text.substr(cut->value, cut->valueEnd - cut->value), r.value) << r.text;
    EXPECT_EQ(cut->semicolon, r.semicolon) << r.text;
    EXPECT_EQ(cut->semicolon, cut->stop < text.size() && text[cut->stop] == ';') << r.text;
  }
}

// The game's walk tells what it meets in file order, each piece with its
// line and column, which agree with its offset.
struct WalkTrace {
  std::string_view text;
  std::string out;

  std::string place(const WalkPlace& at) {
    int line = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i < at.offset; ++i)
      if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++line, start = i + 1;
    EXPECT_TRUE(at.line == line && at.column == static_cast<int>(at.offset - start + 1)) << text << " @" << at.offset;
    return std::to_string(at.line) + ":" + std::to_string(at.column);
  }
  void add(const std::string& piece) { out += (out.empty() ? "" : " ") + piece; }

  void header(const WalkedHeader& h) {
    add("[" + std::string(h.name) + (h.closed ? "]" : "") + place(h.at) + (h.startsLine ? "" : " indented") +
        (h.textAfter ? " after " + place(h.after) : ""));
  }
  void opening(const WalkPlace& at, std::size_t depth) { add("{" + place(at) + "/" + std::to_string(depth)); }
  void closing(const WalkPlace& at, std::size_t depth) { add("}" + place(at) + "/" + std::to_string(depth)); }
  void pair(const PairCut& cut, const WalkPlace& key, const WalkPlace& end) {
    add(std::string(text.substr(cut.key, cut.keyEnd - cut.key)) + "=" +
        std::string(text.substr(cut.value, cut.valueEnd - cut.value)) + (cut.semicolon ? ";" : "") + "@" + place(key) +
        "-" + place(end));
  }
  void stray(const WalkPlace& at, std::string_view run, StrayText why) {
    add(std::string(why == StrayText::Outside  ? "outside"
                    : why == StrayText::NoPair ? "nopair"
                                               : "deep") +
        "'" + std::string(run) + "'" + place(at));
  }
  void emptyStatement(const WalkPlace& at) { add(";" + place(at)); }
  void comment(const WalkPlace& at, bool block) { add((block ? "/*" : "//") + place(at)); }
  void commentedLine(const WalkPlace& at, std::string_view line) { add("'" + std::string(line) + "'" + place(at)); }
  void unclosedComment(const WalkPlace& at) { add("unclosed/*" + place(at)); }
  void lineEnd(const WalkPlace& at) { add("eol" + place(at)); }
};

TEST(LoaderTest, TheGamesWalk) {
  const struct {
    const char* text;
    bool spanning;
    const char* trace;
  } rows[] = {
      {"[A] x\r\n\t{k = v ;;}", false, "[A]1:1 after 1:4 outside'x'1:5 eol1:6 {2:2/0 k=v;@2:3-2:8 ;2:10 }2:11/1"},
      {" [B]//c\r/*\r[C]\r*/{", false, "[B]1:2 indented after 1:5 //1:5 eol1:8 /*2:1 '[C]'3:1 '*/{'4:1 {4:3/0"},
      {"[D\n}x;y\n/*", false, "[D1:1 eol1:3 }2:1/0 outside'x;'2:2 outside'y'2:4 eol2:5 /*3:1 unclosed/*3:1"},
      {"{k=a\r\n b ;\nm=1\n\n[E]", true, "{1:1/0 k=a\r\n b;@1:2-2:3 eol2:5 m=1@3:1-4:1 eol4:1 [E]5:1"},
      {"{k=a\n b}x", false, "{1:1/0 k=a@1:2-1:5 eol1:5 nopair'b'2:2 }2:3/1 outside'x'2:4"},
      {"{{a=1;}}", false, "{1:1/0 {1:2/1 deep'a=1;'1:3 }1:7/2 }1:8/1"},
      {"[G]\t\n[H]", false, "[G]1:1 after 1:4 eol1:5 [H]2:1"},
      {"{k=a\n b}", true, "{1:1/0 k=a\n b@1:2-2:3 }2:3/1"},
  };
  for (const auto& r : rows) {
    WalkTrace trace{r.text, {}};
    const WalkPlace end = GameWalk<WalkTrace>(r.text, trace, {r.spanning, 1}).walk();
    EXPECT_EQ(trace.out, r.trace) << r.text;
    EXPECT_EQ(end.offset, std::string_view(r.text).size());
  }
}

}  // namespace
}  // namespace qm
