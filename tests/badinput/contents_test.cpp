// Weapon files that are broken, binary or huge, as a standard file and as an
// import: what can be read is listed and loads byte for byte, silently. The
// odd but readable block shapes are the loader's and the scan's tables.
#include <gtest/gtest.h>

#include <random>

#include "bad_game.h"

namespace qm::badinput {
namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;

// Random bytes without '[', so that they hold no header.
std::string RandomBytes() {
  std::mt19937 gen(20240531);
  std::string out(128 * 1024, '\0');
  for (auto& c : out)
    if ((c = static_cast<char>(gen())) == '[') c = ']';
  return out;
}

struct ContentCase {
  const char* what;
  std::string bytes;
  Strings entries;                                   // besides the standard files' ones
  std::string load;                                  // a weapon to load, if any
  std::vector<std::pair<Slot, std::string>> values;  // every other slot empty, vName1 = load
  Strings damage;
};
void PrintTo(const ContentCase& c, std::ostream* os) { *os << c.what; }

const std::string kBig(8 * 1024 * 1024, 'x');
const std::pair<Slot, std::string> kId6{Slot::vID, "6"};

const ContentCase kCases[] = {
    {"empty", "", {}, "", {}, {}},
    {"nul_bytes", std::string(65536, '\0'), {}, "", {}, {}},
    {"random_bytes_round_a_block",
     RandomBytes() + "\r\n[BIN]\r\n{\r\n\tid=77;\r\n\trange=1\0 0;\r\n[DAMAGE]\r\n{\r\n\t\td=\xff\0;\r\n}\r\n}\r\n"s +
         RandomBytes(),
     {" 77 - BIN"}, "BIN", {{Slot::vID, "77"}, {Slot::vRng, "1\0 0"s}}, {"d=\xff\0"s}},
    {"eight_megabyte_line", "[GUN]\r\n{\r\n\tid=6;\r\n\tmodel=" + kBig + ";\r\n}\r\n", {"  6 - GUN"}, "GUN",
     {kId6, {Slot::vMod, kBig}}, {}},
    {"ends_inside_damage_block", "[GUN]\n{\nid=6;\n[DAMAGE]\n{\ndefault=50;\nARMCOM=5;", {"  6 - GUN"}, "GUN", {kId6},
     {"default=50", "ARMCOM=5"}},
};

class BadContents : public ::testing::TestWithParam<ContentCase> {};

TEST_P(BadContents, WhatCanBeReadListsAndLoads) {
  const ContentCase& c = GetParam();
  for (const bool asImport : {false, true}) {
    SCOPED_TRACE(asImport ? "as an import" : "as a standard file");
    Game game;
    if (!asImport) game.dir.Write(game.Standard(0), c.bytes);
    game.form.rebuildList();
    EXPECT_TRUE(!asImport || game.form.addImport(game.dir.Write("import.tdf", c.bytes).string()));
    EXPECT_TRUE(game.host.messages.empty());

    Strings listed = c.entries;
    for (std::size_t i = asImport ? 0 : 1; i < kStandardFiles.size(); ++i) listed.push_back(StandardEntry(i));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(SortedTexts(game.form.weaponList()), listed);
    EXPECT_EQ(game.form.countLine(), CountLine(static_cast<long>(listed.size())));

    if (!c.load.empty()) {
      ASSERT_TRUE(game.form.showWeapon(c.load));
      CurrentWeapon want;
      want.Clear();
      want[Slot::vName1] = c.load;
      for (const auto& [slot, value] : c.values) want[slot] = value;
      for (int s = 0; s < kSlotCount; ++s) {  // no EXPECT_EQ: it would print megabytes
        EXPECT_TRUE(game.form.weapon().v[s] == want.v[s]) << FieldOfSlot(static_cast<Slot>(s)).key;
      }
      EXPECT_EQ(game.form.weapon().damage, c.damage);
    }
    game.ExpectUsable(1);
  }
}

INSTANTIATE_TEST_SUITE_P(Each, BadContents, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.what); });

// 200,000 weapons in a standard file: every one is counted and listed, and the
// last one loads from the list.
TEST(ManyBlocks, TwoHundredThousandWeapons) {
  constexpr std::size_t kCount = 200000;
  std::string bytes;
  for (std::size_t i = 0; i < kCount; ++i) {
    const std::string k = std::to_string(i);  // IDs 1 to 255: an ID of 0 would not end the search for the id line
    bytes += "[W" + k + "]\r\n\t{\r\n\tid=" + std::to_string(i % 255 + 1) + ";\r\n\trange=" + k +
             ";\r\n\t[DAMAGE]\r\n\t\t{\r\n\t\tdefault=" + k + ";\r\n\t\t}\r\n\t}\r\n";
  }
  Game game;
  game.dir.Write(game.Standard(7), bytes);
  game.form.rebuildList();
  EXPECT_EQ(game.form.countLine(), CountLine(kCount + 7));
  const auto& entries = game.form.weaponList().entries();
  const auto last = std::find_if(entries.begin(), entries.end(), [](const auto& e) { return e.name == "W199999"; });
  ASSERT_NE(last, entries.end());
  EXPECT_EQ(last->text, " 80 - W199999");
  game.form.showListEntry(static_cast<int>(last - entries.begin()));
  EXPECT_EQ(game.form.weapon()[Slot::vRng], "199999");
  EXPECT_EQ(game.form.weapon().damage, Strings{"default=199999"});
  EXPECT_TRUE(game.host.messages.empty());
}

}  // namespace
}  // namespace qm::badinput
