// The 66 fields of a weapon definition: their numbers, TDF keys, value slots,
// kinds and groups, and the order in which the line recogniser tests the keys.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qm {

// The value slots of the current weapon, in field-number order (field 56, the
// damage list, has no slot).
enum class Slot : std::uint8_t {
  vName2, vName1, vID, vComFir, vENeed, vMNeed, vEPShot, vBRounds, vBRate,
  vRTime, vTurret, vMinAng, vTol, vARate, vTwoP, v2ndP, vDecay, vTrack, vRType,
  vMod, vProp, vSTrail, vSDelay, vSSmoke, vESmoke, vBeam, vC1, vC2, vBal, vLOS,
  vDrop, vRng, vCovr, vAcc, vSpray, vGuide, vTRate, vSVel, vVel, vAccel, vSProp,
  vBounce, vHUO, vWWeap, vFTime, vSSound, vHSound, vWSound, vTSound, vXGAF,
  vXART, vWGAF, vWART, vLGAF, vLART, vSMag, vSDur, vPlze, vNEx, vExA, vExP,
  vFire, vBBlow, vWTimer, vNARng,
  Count
};

inline constexpr int kSlotCount = static_cast<int>(Slot::Count);  // 65
inline constexpr Slot kNoSlot = Slot::Count;

enum class Kind : std::uint8_t { Flag, Number, Text, List };

enum class Group : std::uint8_t {
  Identification,
  WeaponStats,
  ProjectileAppearance,
  ProjectilePhysics,
  Sound,
  ExplosionAppearance,
  Damage,
  ExplosionPhysics,
};

struct FieldRow {
  int no;                // field number, 1 to 66
  std::string_view key;  // lower-case TDF key; "[NAME]" and "[DAMAGE]" for 2 and 56
  Slot slot;             // kNoSlot for the damage list
  Kind kind;
  Group group;

  // True when the field is read from a "key=value;" line.
  constexpr bool isKeyLine() const { return key.front() != '['; }
};

inline constexpr int kFieldCount = 66;
inline constexpr int kKeyCount = 64;
inline constexpr int kDamageField = 56;

extern const std::array<FieldRow, kFieldCount> WeaponFieldTable;

// The order in which RecogniseLine tests the 64 keys.
extern const std::array<Slot, kKeyCount> kRecogniserOrder;

constexpr int SlotIndex(Slot s) { return static_cast<int>(s); }

// The row of a field number (1 to 66).
const FieldRow& FieldByNumber(int no);
// The row that holds a slot.
const FieldRow& FieldOfSlot(Slot s);
// The slot's name as the code spells it ("vRTime").
std::string_view SlotName(Slot s);

}  // namespace qm
