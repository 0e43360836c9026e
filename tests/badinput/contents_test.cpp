// Weapon files whose contents are broken, binary or huge, read as a standard
// file and as an import: what can be read is listed and loads byte for byte,
// and the window stays usable. The huge files also show that scan and load
// stay linear: a quadratic step would not finish within the test's timeout.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "bad_game.h"
#include "export/writer.h"
#include "weapon/text.h"

namespace qm::badinput {
namespace {

constexpr std::size_t kBig = 8 * 1024 * 1024;

struct ContentCase {
  std::string bytes;
  std::optional<std::vector<std::string>> entries;  // in file order; unchecked when absent
  std::string load;                                  // a bracket name to load, or none
  std::vector<std::pair<Slot, std::string>> values;  // every other slot empty, vName1 = load
  std::vector<std::string> damage;
};

// The cases hold megabytes: each is made only by the test that uses it.
struct NamedCase {
  const char* what;
  ContentCase (*make)();
};
void PrintTo(const NamedCase& c, std::ostream* os) { *os << c.what; }

std::string RandomBytes(std::size_t n, bool withBrackets) {
  std::mt19937 gen(20240531);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string out(n, '\0');
  for (auto& c : out) {
    c = static_cast<char>(byte(gen));
    if (!withBrackets && c == '[') c = ']';
  }
  return out;
}

std::string Repeat(const std::string& s, std::size_t times) {
  std::string out;
  out.reserve(s.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += s;
  return out;
}

using std::string;
using namespace std::string_literals;
using Entries = std::vector<string>;

string Big() { return string(kBig, 'x'); }
string BigName() { return string(kBig, 'N'); }

const NamedCase kContentCases[] = {
    {"empty", [] { return ContentCase{"", Entries{}, "", {}, {}}; }},
    {"nul_bytes", [] { return ContentCase{string(65536, '\0'), Entries{}, "", {}, {}}; }},
    {"random_bytes", [] { return ContentCase{RandomBytes(256 * 1024, true), std::nullopt, "", {}, {}}; }},
    {"block_then_random_bytes",
     [] {
       return ContentCase{
           "[BINGUN]\r\n{\r\n\tid=77;\r\n\trange=1\0 0;\r\n\t[DAMAGE]\r\n\t{\r\n\t\tdefault=\xff\0;\r\n\t}\r\n}\r\n"s +
               RandomBytes(256 * 1024, false),
           Entries{" 77 - BINGUN"}, "BINGUN", {{Slot::vID, "77"}, {Slot::vRng, "1\0 0"s}}, {"default=\xff\0"s}};
     }},
    {"ends_inside_block",
     [] {
       return ContentCase{"[GUN]\r\n\t{\r\n\tid=3;\r\n\trange=10;", Entries{"  3 - GUN"}, "GUN",
                          {{Slot::vID, "3"}, {Slot::vRng, "10"}}, {}};
     }},
    {"ends_inside_damage_block",
     [] {
       return ContentCase{"[GUN]\n{\nid=3;\n[DAMAGE]\n{\ndefault=50;\nARMCOM=5;", Entries{"  3 - GUN"}, "GUN",
                          {{Slot::vID, "3"}}, {"default=50", "ARMCOM=5"}};
     }},
    {"ends_right_after_header", [] { return ContentCase{"[GUN]", Entries{"  0 - GUN"}, "GUN", {}, {}}; }},
    {"ends_after_header_line", [] { return ContentCase{"[GUN]\r\n", Entries{"  0 - GUN"}, "GUN", {}, {}}; }},
    {"header_without_block",
     [] { return ContentCase{"[GUN]\r\n// nothing follows\r\n", Entries{"  0 - GUN"}, "GUN", {}, {}}; }},
    {"extra_closing_braces",
     [] {
       return ContentCase{"[GUN]\n{\nid=1;\n}\n}\n}\n[GUN2]\n{\nid=2;\nrange=9;\n}\n", Entries{"  1 - GUN", "  2 - GUN2"},
                          "GUN2", {{Slot::vID, "2"}, {Slot::vRng, "9"}}, {}};
     }},
    // The unclosed block reads on into the next weapon's lines.
    {"missing_closing_brace",
     [] {
       return ContentCase{"[GUN]\n{\n{\nid=1;\n}\n[GUN2]\n{\nid=2;\n}\n", Entries{"  1 - GUN", "  2 - GUN2"}, "GUN",
                          {{Slot::vID, "2"}}, {}};
     }},
    {"long_line_before_block",
     [] {
       return ContentCase{Big() + "\r\n[GUN]\r\n{\r\nid=5;\r\n}\r\n", Entries{"  5 - GUN"}, "GUN", {{Slot::vID, "5"}}, {}};
     }},
    {"long_header",
     [] {
       return ContentCase{"[" + BigName() + "]\r\n{\r\nid=9;\r\n}\r\n", Entries{"  9 - " + BigName()}, BigName(),
                          {{Slot::vID, "9"}}, {}};
     }},
    {"long_value",
     [] {
       return ContentCase{"[GUN]\r\n{\r\n\tmodel=" + Big() + ";\r\n}\r\n", Entries{"  0 - GUN"}, "GUN",
                          {{Slot::vMod, Big()}}, {}};
     }},
    {"long_damage_line",
     [] {
       return ContentCase{"[GUN]\r\n{\r\nid=4;\r\n[DAMAGE]\r\n{\r\n\t\t" + Big() + ";\r\n}\r\n}\r\n", Entries{"  4 - GUN"},
                          "GUN", {{Slot::vID, "4"}}, {Big()}};
     }},
    {"eight_million_empty_lines",
     [] {
       return ContentCase{string(kBig, '\r') + "[GUN]\r{\rid=6;\r}\r", Entries{"  6 - GUN"}, "GUN", {{Slot::vID, "6"}}, {}};
     }},
    // The first header's search for its id line consumes every other one.
    {"a_million_headers_without_ids",
     [] { return ContentCase{Repeat("[H]\n", 1000000), Entries{"  0 - H"}, "H", {}, {}}; }},
};

class BadContents : public ::testing::TestWithParam<NamedCase> {
 protected:
  void SetUp() override { c_ = GetParam().make(); }

  void ExpectListed(const Game& game, std::vector<std::string> others) {
    EXPECT_EQ(game.form.WNum, static_cast<long>(game.form.Combo1.size()));
    EXPECT_EQ(game.form.Label1, CountLine(game.form.WNum));
    const auto& entries = game.form.Combo1.entries();
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(),
                               [](const auto& a, const auto& b) { return CompareFolded(a.text, b.text) < 0; }));
    if (!c_.entries) return;
    others.insert(others.end(), c_.entries->begin(), c_.entries->end());
    EXPECT_TRUE(Sorted(EntryTexts(game.form.Combo1)) == Sorted(others));
  }

  void ExpectLoads(Game& game) {
    const ContentCase& c = c_;
    if (c.load.empty()) return;
    ASSERT_TRUE(game.form.LoadWeapByName(c.load));
    CurrentWeapon want;
    want.ResetVals();
    want[Slot::vName1] = c.load;
    for (const auto& [slot, value] : c.values) want[slot] = value;
    want.damage = c.damage;
    for (int s = 0; s < kSlotCount; ++s)
      EXPECT_TRUE(game.form.weapon.v[s] == want.v[s]) << SlotName(static_cast<Slot>(s));
    EXPECT_TRUE(game.form.weapon.damage == want.damage);
  }

  ContentCase c_;
};

TEST_P(BadContents, AsAStandardFile) {
  Game game;
  game.dir.Write(game.Standard(0), c_.bytes);
  game.form.Form_Load();
  EXPECT_TRUE(game.host.messages.empty());
  std::vector<std::string> others;
  for (std::size_t i = 1; i < 8; ++i) others.push_back("  " + std::to_string(i + 1) + " - " + StandardName(i));
  ExpectListed(game, others);
  ExpectLoads(game);
  game.ExpectUsable(1);
}

TEST_P(BadContents, AsAnImport) {
  Game game;
  game.form.Form_Load();
  const std::vector<std::string> standard = EntryTexts(game.form.Combo1);
  const auto path = game.dir.Write("import.tdf", c_.bytes);
  EXPECT_TRUE(game.form.ImportFile(path.string()));
  EXPECT_TRUE(game.host.messages.empty());
  EXPECT_EQ(game.form.IWeaps, 1);
  ExpectListed(game, standard);
  ExpectLoads(game);
  game.ExpectUsable(0);
}

INSTANTIATE_TEST_SUITE_P(Each, BadContents, ::testing::ValuesIn(kContentCases),
                         [](const auto& info) { return std::string(info.param.what); });

// ---------------------------------------------------------------------------
// Line ends: the same weapons with every kind of line end list, load and
// export exactly alike.

TEST(LineEnds, AnyMixLosesNothing) {
  const std::vector<std::string> lines = {
      "// two weapons", "[GUN]", "\t{", "\tid=12;", "\tname=Light Gun;", "\treloadtime=1.5;", "\tmodel=shell;",
      "\t[DAMAGE]", "\t\t{", "\t\tdefault=50;", "\t\tARMCOM=10;", "\t\t}", "\t}", "[LASER]", "{", "ID=3;",
      "beamweapon=1;", "color=122;", "}"};
  struct Variant {
    const char* what;
    std::vector<std::string> ends;  // used in turn
    bool finalEnd = true;
  };
  const Variant variants[] = {
      {"CR LF", {"\r\n"}},          {"LF only", {"\n"}},
      {"CR only", {"\r"}},          {"mixed", {"\r\n", "\n", "\r"}},
      {"LF CR", {"\n\r"}},          {"CR CR LF", {"\r\r\n"}},
      {"no final end", {"\r\n"}, false},
  };

  struct Result {
    std::vector<std::string> entries;
    std::vector<CurrentWeapon> weapons;
    std::vector<std::string> exported;
  };
  auto readAll = [&](const Variant& v) {
    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      bytes += lines[i];
      if (v.finalEnd || i + 1 < lines.size()) bytes += v.ends[i % v.ends.size()];
    }
    Game game;
    game.form.Form_Load();
    EXPECT_TRUE(game.form.ImportFile(game.dir.Write("ends.tdf", bytes).string()));
    Result r;
    r.entries = EntryTexts(game.form.Combo1);
    for (const char* name : {"GUN", "LASER"}) {
      EXPECT_TRUE(game.form.LoadWeapByName(name)) << v.what;
      r.weapons.push_back(game.form.weapon);
      r.exported.push_back(FormatExport("copy", "Copy", 1, game.form.weapon));
    }
    EXPECT_TRUE(game.host.messages.empty()) << v.what;
    return r;
  };

  const Result base = readAll(variants[0]);
  EXPECT_EQ(base.weapons[0][Slot::vRTime], "1.5");
  EXPECT_EQ(base.weapons[0].damage, (std::vector<std::string>{"default=50", "ARMCOM=10"}));
  EXPECT_EQ(base.weapons[1][Slot::vC1], "122");
  for (const Variant& v : variants) {
    const Result r = readAll(v);
    EXPECT_EQ(r.entries, base.entries) << v.what;
    for (std::size_t w = 0; w < 2; ++w) {
      EXPECT_TRUE(r.weapons[w].v == base.weapons[w].v) << v.what;
      EXPECT_EQ(r.weapons[w].damage, base.weapons[w].damage) << v.what;
      EXPECT_EQ(r.exported[w], base.exported[w]) << v.what;
    }
  }
}

// ---------------------------------------------------------------------------
// 200,000 weapon blocks

std::string ManyBlocks(std::size_t n, bool sameName) {
  std::string out;
  out.reserve(n * 100);
  for (std::size_t i = 0; i < n; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "W%06zu", i);
    const std::string k = std::to_string(i);
    // IDs 1 to 255: an ID of 0 would not end the search for the id line.
    out += "[" + (sameName ? std::string("SAME") : std::string(name)) + "]\r\n\t{\r\n\tid=" + std::to_string(i % 255 + 1) +
           ";\r\n\trange=" + k + ";\r\n\t[DAMAGE]\r\n\t\t{\r\n\t\tdefault=" + k + ";\r\n\t\t}\r\n\t}\r\n";
  }
  return out;
}

TEST(ManyBlocks, TwoHundredThousandWeaponsInAStandardFile) {
  constexpr std::size_t kCount = 200000;
  Game game;
  game.dir.Write(game.Standard(7), ManyBlocks(kCount, false));
  game.form.Form_Load();
  EXPECT_TRUE(game.host.messages.empty());
  EXPECT_EQ(game.form.WNum, static_cast<long>(kCount + 7));
  EXPECT_EQ(game.form.Label1, "200007 Weapons, -199751 IDs available");
  const auto& entries = game.form.Combo1.entries();
  ASSERT_EQ(entries.size(), kCount + 7);
  EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(),
                             [](const auto& a, const auto& b) { return CompareFolded(a.text, b.text) < 0; }));
  EXPECT_EQ(entries.front().text, "  1 - STD1");
  EXPECT_EQ(entries.back().text, "255 - W199919");

  // The last weapon of the file, picked from the list.
  const auto last = std::find_if(entries.begin(), entries.end(), [](const auto& e) { return e.name == "W199999"; });
  ASSERT_NE(last, entries.end());
  EXPECT_EQ(last->text, " 80 - W199999");
  game.form.Combo1_Click(static_cast<int>(last - entries.begin()));
  EXPECT_EQ(game.form.weapon[Slot::vName1], "W199999");
  EXPECT_EQ(game.form.weapon[Slot::vRng], "199999");
  EXPECT_EQ(game.form.weapon.damage, std::vector<std::string>{"default=199999"});
  EXPECT_TRUE(game.host.messages.empty());
  game.ExpectUsable(0);
}

TEST(ManyBlocks, TwoHundredThousandBlocksOfOneWeaponImported) {
  constexpr std::size_t kCount = 200000;
  Game game;
  game.form.Form_Load();
  EXPECT_TRUE(game.form.ImportFile(game.dir.Write("same.tdf", ManyBlocks(kCount, true)).string()));
  EXPECT_EQ(game.form.WNum, static_cast<long>(kCount + 8));
  // Every block starts the weapon afresh: the last one wins entirely.
  EXPECT_TRUE(game.form.LoadWeapByName("SAME"));
  EXPECT_EQ(game.form.weapon[Slot::vRng], "199999");
  EXPECT_EQ(game.form.weapon[Slot::vID], "80");
  EXPECT_EQ(game.form.weapon.damage, std::vector<std::string>{"default=199999"});
  EXPECT_TRUE(game.host.messages.empty());
  game.ExpectUsable(0);
}

// ---------------------------------------------------------------------------
// The sixteenth import, with bad input on the way

TEST(SixteenthImport, UnreadableFileAsksNothingAndRescanNamesMissingFiles) {
  Game game;
  game.form.Form_Load();
  std::vector<std::string> paths;
  for (int k = 0; k < kExtraSlots; ++k) {
    paths.push_back(game.dir.Write("x" + std::to_string(k) + ".tdf",
                                   "[X" + std::to_string(k) + "]\r\n{\r\nid=" + std::to_string(100 + k) + ";\r\n}\r\n")
                        .string());
    ASSERT_TRUE(game.form.ImportFile(paths.back()));
  }
  ASSERT_EQ(game.form.IWeaps, 15);
  ASSERT_EQ(game.form.WNum, 23);

  // A folder as the sixteenth: named, and no question about the slots.
  std::filesystem::create_directories(game.dir.path() / "folder.tdf");
  EXPECT_FALSE(game.form.ImportFile((game.dir.path() / "folder.tdf").string()));
  ASSERT_EQ(game.host.messages.size(), 1u);
  EXPECT_EQ(game.host.messages[0].buttons, Buttons::Ok);
  EXPECT_EQ(game.form.IWeaps, 15);
  EXPECT_EQ(game.form.WNum, 23);
  EXPECT_TRUE(game.form.LoadWeapByName("X14"));

  // A good sixteenth after a standard file went away: OK empties the slots,
  // and the rescan names the missing file.
  std::filesystem::remove(game.Standard(2));
  const auto sixteenth = game.dir.Write("new.tdf", "[NEW]\r\n{\r\nid=250;\r\n}\r\n[NEW2]\r\n{\r\nid=251;\r\n}\r\n");
  game.host.answers = {Answer::Ok};
  EXPECT_TRUE(game.form.ImportFile(sixteenth.string()));
  ASSERT_EQ(game.host.messages.size(), 3u);
  EXPECT_EQ(game.host.messages[1].text, kMsgSlotsFull);
  EXPECT_NE(game.host.messages[2].text.find("lasers.tdf"), std::string::npos);
  EXPECT_EQ(game.form.IWeaps, 1);
  EXPECT_EQ(game.form.IWeap[0], sixteenth.string());
  for (int k = 1; k < kExtraSlots; ++k) EXPECT_TRUE(game.form.IWeap[k].empty());
  EXPECT_EQ(game.form.WNum, 9);
  EXPECT_EQ(game.form.Label1, "9 Weapons, 247 IDs available");
  EXPECT_EQ(game.form.Combo1.size(), 9u);
  EXPECT_TRUE(game.form.LoadWeapByName("NEW2"));
  EXPECT_FALSE(game.form.LoadWeapByName("X3"));  // its file is no longer searched
  EXPECT_EQ(game.host.messages.back().text, kMsgNotFound);
}

}  // namespace
}  // namespace qm::badinput
