// The field table: numbers, kinds and slots.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "weapon/field_table.h"

namespace qm {
namespace {

TEST(FieldTableTest, KindsGroupsAndSlots) {
  std::map<Kind, int> kinds;
  std::set<Slot> slots;
  for (int i = 0; i < kFieldCount; ++i) {
    const FieldRow& row = WeaponFieldTable[i];
    EXPECT_EQ(row.no, i + 1);
    kinds[row.kind]++;
    if (row.kind != Kind::List) {
      EXPECT_TRUE(slots.insert(row.slot).second) << row.key;
      EXPECT_EQ(&FieldOfSlot(row.slot), &row);
    }
  }
  EXPECT_EQ(kinds, (std::map<Kind, int>{{Kind::Flag, 21}, {Kind::Number, 30}, {Kind::Text, 14}, {Kind::List, 1}}));
  EXPECT_EQ(slots.size(), static_cast<std::size_t>(kSlotCount));
  EXPECT_EQ(FieldByNumber(14).key, "aimrate");
  EXPECT_EQ(FieldByNumber(14).group, Group::WeaponStats);
  EXPECT_EQ(FieldByNumber(56).group, Group::Damage);
  EXPECT_EQ(FieldByNumber(57).slot, Slot::vSMag);
  EXPECT_EQ(SlotName(Slot::v2ndP), "v2ndP");
}

}  // namespace
}  // namespace qm
