// The line grammar: which lines fill which slot, and what goes to the damage
// list.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "weapon/recogniser.h"

namespace qm {
namespace {

struct LinesCase {
  const char* what;
  std::vector<std::string> lines;
  std::map<Slot, std::string> slots;  // every other slot stays empty
  std::vector<std::string> damage;
  bool carryAfter = false;
};

const LinesCase kLines[] = {
    {"key at column 1 or after any one character",
     {"reloadtime=1.5;", " range=600;", "/burst=3;"},
     {{Slot::ReloadTime, "1.5"}, {Slot::Range, "600"}, {Slot::Burst, "3"}},
     {}},
    {"two leading tabs are not read", {"\t\treloadtime=1.5;"}, {}, {}},
    {"key case is folded, value case kept",
     {"\tWeaponVelocity=AbC;", "ID=12;"},
     {{Slot::WeaponVelocity, "AbC"}, {Slot::Id, "12"}},
     {}},
    {"last character dropped whatever it is", {"\treloadtime=15"}, {{Slot::ReloadTime, "1"}}, {}},
    {"comment behind the semicolon stays", {"\trange=450;//240//420"}, {{Slot::Range, "450;//240//42"}}, {}},
    {"nothing trimmed", {"\tmodel= missile \t;"}, {{Slot::Model, " missile \t"}}, {}},
    {"nothing before the last character or no value", {"\tmodel=;", "name=x", "model=", "\tburst="}, {}, {}},
    {"a key ends at the first \"=\"",
     {"\trange =1;", "\tRANGE=a=b;", "=id==3;"},
     {{Slot::Range, "a=b"}, {Slot::Id, "=3"}},
     {}},
    {"longer keys are not shorter keys",
     {"\tenergypershot=5;", "\tburstrate=0.2;", "\tcolor2=7;", "\twaterexplosiongaf=fx;"},
     {{Slot::EnergyPerShot, "5"}, {Slot::BurstRate, "0.2"}, {Slot::Color2, "7"}, {Slot::WaterExplosionGaf, "fx"}},
     {}},
    {"a typical damage block",
     {"\t[DAMAGE]", "\t\t{", "\t\tdefault=50;", "\t\tCORLLT=20;", "\t\t}", "\t}"},
     {},
     {"default=50", "CORLLT=20"}},
    {"damage lines by one or two tabs, spaces kept, three tabs dropped",
     {"[damage]", "{", "a=1;", "\tb=2;", "\t\tc=3;", "\t\t\td=4;", "  e=5;", "}"},
     {},
     {"a=1", "b=2", "c=3", "  e=5"}},
    {"damage header after one character of any kind", {"x[Damage]", "\t\tdefault=1;"}, {}, {"default=1"}, true},
    {"a brace within the first three characters stops the list",
     {"[DAMAGE]", "  }default=1;", "\t\tdefault=2;"},
     {},
     {}},
    {"a brace further in does not", {"[DAMAGE]", "\t\tdefault=1;}", "\t\t}"}, {}, {"default=1;"}},
    {"a second header while inside is itself listed",
     {"[DAMAGE]", "\t[DAMAGE]", "\t\tx=1;"},
     {},
     {"[DAMAGE", "x=1"},
     true},
    {"a damage unit named like a key fills the slot too",
     {"[DAMAGE]", "\trange=9;", "\t\tburst=4;"},
     {{Slot::Range, "9"}},
     {"range=9", "burst=4"},
     true},
};

TEST(RecogniserTest, StoresExactlyWhatTheLinesSay) {
  for (const LinesCase& c : kLines) {
    CurrentWeapon w;
    w.clear();
    bool carry = false;
    for (const auto& line : c.lines) recogniseLine(line, w, carry);
    for (int s = 0; s < kSlotCount; ++s) {
      const auto it = c.slots.find(static_cast<Slot>(s));
      EXPECT_EQ(w.v[s], it == c.slots.end() ? "" : it->second)
          << c.what << ": " << fieldOfSlot(static_cast<Slot>(s)).key;
    }
    EXPECT_EQ(w.damage, c.damage) << c.what;
    EXPECT_EQ(carry, c.carryAfter) << c.what;
  }
}

}  // namespace
}  // namespace qm
