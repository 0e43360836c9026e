// The 66 fields of a weapon definition, one declaration each in kFields:
// number, key, value slot, kind, the heading it stands under, and how the
// layers above show, explain and export it. The window's pixels and control
// names are not here: they are in the layout table of the window
// (ui/layout.cpp), keyed by field number.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qm {

// The value slots of the weapon on display, in field-number order, each named
// after the key whose value it holds; BracketName holds the name between the
// brackets of the weapon's header line. The damage list has no slot.
enum class Slot : std::uint8_t {
  Name,
  BracketName,
  Id,
  CommandFire,
  Energy,
  Metal,
  EnergyPerShot,
  Burst,
  BurstRate,
  ReloadTime,
  Turret,
  MinBarrelAngle,
  Tolerance,
  AimRate,
  TwoPhase,
  WeaponType2,
  RandomDecay,
  Tracks,
  RenderType,
  Model,
  Propeller,
  SmokeTrail,
  SmokeDelay,
  StartSmoke,
  EndSmoke,
  BeamWeapon,
  Color,
  Color2,
  Ballistic,
  LineOfSight,
  Dropped,
  Range,
  Coverage,
  Accuracy,
  SprayAngle,
  Guidance,
  TurnRate,
  StartVelocity,
  WeaponVelocity,
  WeaponAcceleration,
  SelfProp,
  GroundBounce,
  UnitsOnly,
  WaterWeapon,
  FlightTime,
  SoundStart,
  SoundHit,
  SoundWater,
  SoundTrigger,
  ExplosionGaf,
  ExplosionArt,
  WaterExplosionGaf,
  WaterExplosionArt,
  LavaExplosionGaf,
  LavaExplosionArt,
  ShakeMagnitude,
  ShakeDuration,
  Paralyzer,
  NoExplode,
  AreaOfEffect,
  EdgeEffectiveness,
  FireStarter,
  BurnBlow,
  WeaponTimer,
  NoAutoRange,
  Count
};

inline constexpr int kSlotCount = static_cast<int>(Slot::Count);
inline constexpr Slot kNoSlot = Slot::Count;

// What a value is: a 0/1 flag, a number, a text or the damage list.
enum class Kind : std::uint8_t { Flag, Number, Text, List };

// The headings the field rows stand under.
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

// How Viewing Mode shows a value (presentation/values.cpp).
enum class Rule : std::uint8_t {
  TextNone,       // the text, "None" when empty
  TextZero,       // the text, "0" when empty
  Flag,           // "YES" for exactly "1", else "NO"
  Trajectory,     // ballistic / line of sight / dropped: at most one "YES"
  RenderType,     // a name for the render-type codes
  EdgePercent,    // the fraction times 100, "%"; "100%" when empty
  ChancePercent,  // the text and "%"; "0%" when empty
};

// Where a field's line goes in an exported file: its group (1 to 7) and its
// position in the group. Group 0 holds the lines the exporter writes before
// the groups.
struct ExportPlace {
  int group = 0;
  int position = 0;
};
inline constexpr ExportPlace kHeaderLine{};

struct FieldRow {
  int no;                // field number, 1 to 66
  std::string_view key;  // lower-case key; "[NAME]" and "[DAMAGE]" for the bracket name and the damage list
  Slot slot;             // kNoSlot for the damage list
  Kind kind;
  Group group;
  // The Viewing Mode caption. The Actual Mode caption is the key followed by
  // " =" (the bracket name keeps this one).
  std::string_view caption = {};
  Rule rule = Rule::TextNone;
  ExportPlace exportPlace = kHeaderLine;
  std::string_view description;  // the text of the field's "?" button

  // True when the field is read from a "key=value;" line.
  constexpr bool isKeyLine() const { return key.front() != '['; }
};

// clang-format off
inline constexpr std::array<FieldRow, 66> kFields = {{
    {.no = 1, .key = "name", .slot = Slot::Name, .kind = Kind::Text, .group = Group::Identification,
     .caption = "Name:", .rule = Rule::TextNone, .exportPlace = kHeaderLine,
     .description = "The name= value is not really important I think that all it is used for is the unit viewer."},
    {.no = 2, .key = "[NAME]", .slot = Slot::BracketName, .kind = Kind::Text, .group = Group::Identification,
     .caption = "Actual Name:", .rule = Rule::TextNone, .exportPlace = kHeaderLine,
     .description = "This is the actual name used for the weapon and is between the square brackets ([]s). It is the name you use for the Weapon1, Weapon2 and Weapon3 value in the units .fbi file."},
    {.no = 3, .key = "id", .slot = Slot::Id, .kind = Kind::Number, .group = Group::Identification,
     .caption = "Weapon ID:", .rule = Rule::TextNone, .exportPlace = kHeaderLine,
     .description = "The uniqe numeric identifier for the weapon, it can only from 0 to 255. No 2 weapons can have the same number."},
    {.no = 4, .key = "commandfire", .slot = Slot::CommandFire, .kind = Kind::Flag, .group = Group::WeaponStats,
     .caption = "Command Fire:", .rule = Rule::Flag, .exportPlace = {2, 2},
     .description = "This specifies whether or not you have to force attack, similar to the DGun but with the attack button."},
    {.no = 5, .key = "energy", .slot = Slot::Energy, .kind = Kind::Number, .group = Group::WeaponStats,
     .caption = "Energy Needed:", .rule = Rule::TextNone, .exportPlace = {2, 3},
     .description = "How much energy is needed to fire the weapon, eg. Bertha cannon."},
    {.no = 6, .key = "metal", .slot = Slot::Metal, .kind = Kind::Number, .group = Group::WeaponStats,
     .caption = "Metal Needed:", .rule = Rule::TextNone, .exportPlace = {2, 4},
     .description = "How much metal is needed to fire the weapon"},
    {.no = 7, .key = "energypershot", .slot = Slot::EnergyPerShot, .kind = Kind::Number, .group = Group::WeaponStats,
     .caption = "Energy Per Shot:", .rule = Rule::TextNone, .exportPlace = {2, 5},
     .description = "??? I think it is the same as energy."},
    {.no = 8, .key = "burst", .slot = Slot::Burst, .kind = Kind::Number, .group = Group::WeaponStats,
     .caption = "Burst Rounds:", .rule = Rule::TextNone, .exportPlace = {2, 6},
     .description = "How many rounds fire in a burst."},
    {.no = 9, .key = "burstrate", .slot = Slot::BurstRate, .kind = Kind::Number, .group = Group::WeaponStats,
     .caption = "Burst Rate:", .rule = Rule::TextZero, .exportPlace = {2, 7},
     .description = "Seconds between shots in a burst."},
    {.no = 10, .key = "reloadtime", .slot = Slot::ReloadTime, .kind = Kind::Number, .group = Group::WeaponStats,
     .caption = "Reload Time:", .rule = Rule::TextZero, .exportPlace = {2, 8},
     .description = "Second between shots/bursts."},
    {.no = 11, .key = "turret", .slot = Slot::Turret, .kind = Kind::Flag, .group = Group::WeaponStats,
     .caption = "Turret:", .rule = Rule::Flag, .exportPlace = {1, 5},
     .description = "Does the weapon need a turret that can turn 360 degrees."},
    {.no = 12, .key = "minbarrelangle", .slot = Slot::MinBarrelAngle, .kind = Kind::Number, .group = Group::WeaponStats,
     .caption = "Min Barrel Angle:", .rule = Rule::TextNone, .exportPlace = {2, 9},
     .description = "This is the minimum barrel angle (used for balistic weapons)."},
    {.no = 13, .key = "tolerance", .slot = Slot::Tolerance, .kind = Kind::Number, .group = Group::WeaponStats,
     .caption = "Tolerance:", .rule = Rule::TextZero, .exportPlace = {2, 10},
     .description = "The maximum angle that the barrel can be off by when aiming."},
    {.no = 14, .key = "aimrate", .slot = Slot::AimRate, .kind = Kind::Number, .group = Group::WeaponStats,
     .caption = "Aim Rate:", .rule = Rule::TextNone, .exportPlace = {2, 21},
     .description = "I think that this is only used by the unit viewer and is otherwise un-important"},
    {.no = 15, .key = "twophase", .slot = Slot::TwoPhase, .kind = Kind::Flag, .group = Group::WeaponStats,
     .caption = "Two Phase:", .rule = Rule::Flag, .exportPlace = {2, 11},
     .description = "Indicates weapon operates in two phases."},
    {.no = 16, .key = "weapontype2", .slot = Slot::WeaponType2, .kind = Kind::Text, .group = Group::WeaponStats,
     .caption = "Second Phase:", .rule = Rule::TextNone, .exportPlace = {2, 12},
     .description = "The Weapon that a two phase weapon will become."},
    {.no = 17, .key = "randomdecay", .slot = Slot::RandomDecay, .kind = Kind::Number, .group = Group::WeaponStats,
     .caption = "Random Decay:", .rule = Rule::TextZero, .exportPlace = {2, 13},
     .description = "Maximum time delta that burst weapon will randomly decay at end of path. ??? what this mean"},
    {.no = 18, .key = "tracks", .slot = Slot::Tracks, .kind = Kind::Flag, .group = Group::WeaponStats,
     .caption = "Tracks:", .rule = Rule::Flag, .exportPlace = {2, 14},
     .description = "When set the weapon will track a moving target after a weapon conversion. ? Unit keeps gun trained on target?"},
    {.no = 19, .key = "rendertype", .slot = Slot::RenderType, .kind = Kind::Number, .group = Group::ProjectileAppearance,
     .caption = "Render Type:", .rule = Rule::RenderType, .exportPlace = {1, 1},
     .description = "How to draw this weapon. could some-one please send me the values eg. 1 = model ect."},
    {.no = 20, .key = "model", .slot = Slot::Model, .kind = Kind::Text, .group = Group::ProjectileAppearance,
     .caption = "Model:", .rule = Rule::TextNone, .exportPlace = {2, 1},
     .description = "The name of the model to use for the projectile."},
    {.no = 21, .key = "propeller", .slot = Slot::Propeller, .kind = Kind::Flag, .group = Group::ProjectileAppearance,
     .caption = "Has Propeller:", .rule = Rule::Flag, .exportPlace = {2, 30},
     .description = "If the model has a propeller that spins. not sure how it works tho"},
    {.no = 22, .key = "smoketrail", .slot = Slot::SmokeTrail, .kind = Kind::Flag, .group = Group::ProjectileAppearance,
     .caption = "Smoke Trail:", .rule = Rule::Flag, .exportPlace = {5, 1},
     .description = "Indicates whether or not a weapon will emit a smoke trail."},
    {.no = 23, .key = "smokedelay", .slot = Slot::SmokeDelay, .kind = Kind::Number, .group = Group::ProjectileAppearance,
     .caption = "Smoke Delay:", .rule = Rule::TextNone, .exportPlace = {5, 2},
     .description = "Seconds between puffs of smoke in the smoke trail."},
    {.no = 24, .key = "startsmoke", .slot = Slot::StartSmoke, .kind = Kind::Flag, .group = Group::ProjectileAppearance,
     .caption = "Start Smoke:", .rule = Rule::Flag, .exportPlace = {5, 3},
     .description = "Draw a puff of smoke when the weapon fires."},
    {.no = 25, .key = "endsmoke", .slot = Slot::EndSmoke, .kind = Kind::Flag, .group = Group::ProjectileAppearance,
     .caption = "End Smoke:", .rule = Rule::Flag, .exportPlace = {5, 4},
     .description = "Draw a puff of smoke when weapon terminates."},
    {.no = 26, .key = "beamweapon", .slot = Slot::BeamWeapon, .kind = Kind::Flag, .group = Group::ProjectileAppearance,
     .caption = "Laser:", .rule = Rule::Flag, .exportPlace = {3, 1},
     .description = "Is the weapon a laser."},
    {.no = 27, .key = "color", .slot = Slot::Color, .kind = Kind::Number, .group = Group::ProjectileAppearance,
     .caption = "Color:", .rule = Rule::TextNone, .exportPlace = {3, 2},
     .description = "The color of the laser. Index number of the color in the TA pallete."},
    {.no = 28, .key = "color2", .slot = Slot::Color2, .kind = Kind::Number, .group = Group::ProjectileAppearance,
     .caption = "Color2:", .rule = Rule::TextNone, .exportPlace = {3, 3},
     .description = "Color to use on the beam weapon to make better and cooler, ZIZ ??? anyone now how it make it cooler"},
    {.no = 29, .key = "ballistic", .slot = Slot::Ballistic, .kind = Kind::Flag, .group = Group::ProjectilePhysics,
     .caption = "Ballistic:", .rule = Rule::Trajectory, .exportPlace = {1, 2},
     .description = "Weapon is fired according to a ballistic path using gravity."},
    {.no = 30, .key = "lineofsight", .slot = Slot::LineOfSight, .kind = Kind::Flag, .group = Group::ProjectilePhysics,
     .caption = "Line of Sight:", .rule = Rule::Trajectory, .exportPlace = {1, 3},
     .description = "Weapon is fired in a straight line, gravity does not effect path"},
    {.no = 31, .key = "dropped", .slot = Slot::Dropped, .kind = Kind::Flag, .group = Group::ProjectilePhysics,
     .caption = "Dropped:", .rule = Rule::Trajectory, .exportPlace = {1, 4},
     .description = "Weapon is dropped in order to use it, typically a bomb."},
    {.no = 32, .key = "range", .slot = Slot::Range, .kind = Kind::Number, .group = Group::ProjectilePhysics,
     .caption = "Range:", .rule = Rule::TextZero, .exportPlace = {2, 15},
     .description = "The distance the weapon can travel (in pixels)."},
    {.no = 33, .key = "coverage", .slot = Slot::Coverage, .kind = Kind::Number, .group = Group::ProjectilePhysics,
     .caption = "Coverage:", .rule = Rule::TextZero, .exportPlace = {2, 16},
     .description = "Coverage is what the protection umbrella is for weapons that shoot other weapons, eg. anti-nuke."},
    {.no = 34, .key = "accuracy", .slot = Slot::Accuracy, .kind = Kind::Number, .group = Group::ProjectilePhysics,
     .caption = "Accuracy:", .rule = Rule::TextZero, .exportPlace = {2, 17},
     .description = "Accuracy, maximum angle in 64k that the weapon can stray from target."},
    {.no = 35, .key = "sprayangle", .slot = Slot::SprayAngle, .kind = Kind::Number, .group = Group::ProjectilePhysics,
     .caption = "Spray Angle:", .rule = Rule::TextZero, .exportPlace = {2, 18},
     .description = "Maximum deviation from the straight line to the target the weapon strays, used for burst weapons."},
    {.no = 36, .key = "guidance", .slot = Slot::Guidance, .kind = Kind::Flag, .group = Group::ProjectilePhysics,
     .caption = "Guided:", .rule = Rule::Flag, .exportPlace = {2, 19},
     .description = "Is the weapon guided."},
    {.no = 37, .key = "turnrate", .slot = Slot::TurnRate, .kind = Kind::Number, .group = Group::ProjectilePhysics,
     .caption = "Turn Rate:", .rule = Rule::TextNone, .exportPlace = {2, 20},
     .description = "The turn rate used for guided weapons, is in angular units (0-64k)/second."},
    {.no = 38, .key = "startvelocity", .slot = Slot::StartVelocity, .kind = Kind::Number, .group = Group::ProjectilePhysics,
     .caption = "Start Velocity:", .rule = Rule::TextNone, .exportPlace = {2, 22},
     .description = "Speed that the weapon starts at."},
    {.no = 39, .key = "weaponvelocity", .slot = Slot::WeaponVelocity, .kind = Kind::Number, .group = Group::ProjectilePhysics,
     .caption = "Velocity:", .rule = Rule::TextNone, .exportPlace = {2, 23},
     .description = "Maximum speed of projectile."},
    {.no = 40, .key = "weaponacceleration", .slot = Slot::WeaponAcceleration, .kind = Kind::Number, .group = Group::ProjectilePhysics,
     .caption = "Acceleration:", .rule = Rule::TextNone, .exportPlace = {2, 24},
     .description = "Weapon acceleration."},
    {.no = 41, .key = "selfprop", .slot = Slot::SelfProp, .kind = Kind::Flag, .group = Group::ProjectilePhysics,
     .caption = "Self Propelled:", .rule = Rule::Flag, .exportPlace = {2, 25},
     .description = "Whether or not a weapon if self propelled, eg. rockets."},
    {.no = 42, .key = "groundbounce", .slot = Slot::GroundBounce, .kind = Kind::Flag, .group = Group::ProjectilePhysics,
     .caption = "Bounce:", .rule = Rule::Flag, .exportPlace = {2, 26},
     .description = "Does the weapon bounce off the ground."},
    {.no = 43, .key = "unitsonly", .slot = Slot::UnitsOnly, .kind = Kind::Flag, .group = Group::ProjectilePhysics,
     .caption = "Hit Only Units:", .rule = Rule::Flag, .exportPlace = {2, 27},
     .description = "Weapon will only detonate on enemy units as opposed to obstructing terrain."},
    {.no = 44, .key = "waterweapon", .slot = Slot::WaterWeapon, .kind = Kind::Flag, .group = Group::ProjectilePhysics,
     .caption = "Water Weapon:", .rule = Rule::Flag, .exportPlace = {2, 28},
     .description = "Is it an under-water weapon."},
    {.no = 45, .key = "flighttime", .slot = Slot::FlightTime, .kind = Kind::Number, .group = Group::ProjectilePhysics,
     .caption = "Flight Time:", .rule = Rule::TextZero, .exportPlace = {2, 29},
     .description = "The time the projectile will fly for after it enters the second phase of operation."},
    {.no = 46, .key = "soundstart", .slot = Slot::SoundStart, .kind = Kind::Text, .group = Group::Sound,
     .caption = "Sound Start:", .rule = Rule::TextNone, .exportPlace = {7, 1},
     .description = "Sound to make when the weapon fires."},
    {.no = 47, .key = "soundhit", .slot = Slot::SoundHit, .kind = Kind::Text, .group = Group::Sound,
     .caption = "Sound Hit:", .rule = Rule::TextNone, .exportPlace = {7, 2},
     .description = "Sound to make when the weapon detonates."},
    {.no = 48, .key = "soundwater", .slot = Slot::SoundWater, .kind = Kind::Text, .group = Group::Sound,
     .caption = "Sound Water:", .rule = Rule::TextNone, .exportPlace = {7, 3},
     .description = "Sound to make when the weapon hits the water."},
    {.no = 49, .key = "soundtrigger", .slot = Slot::SoundTrigger, .kind = Kind::Text, .group = Group::Sound,
     .caption = "Sound Trigger:", .rule = Rule::TextNone, .exportPlace = {7, 4},
     .description = "Make the weapon sound when the weapon fires in burst mode."},
    {.no = 50, .key = "explosiongaf", .slot = Slot::ExplosionGaf, .kind = Kind::Text, .group = Group::ExplosionAppearance,
     .caption = "Explosion GAF:", .rule = Rule::TextNone, .exportPlace = {6, 1},
     .description = ".GAF file that the explosion art is in"},
    {.no = 51, .key = "explosionart", .slot = Slot::ExplosionArt, .kind = Kind::Text, .group = Group::ExplosionAppearance,
     .caption = "Explosion ART:", .rule = Rule::TextNone, .exportPlace = {6, 2},
     .description = "The name of animation sequence in the explosion .GAF to use for the explosions."},
    {.no = 52, .key = "waterexplosiongaf", .slot = Slot::WaterExplosionGaf, .kind = Kind::Text, .group = Group::ExplosionAppearance,
     .caption = "Water Explosion GAF:", .rule = Rule::TextNone, .exportPlace = {6, 3},
     .description = ".GAF file that the water explosion art is in."},
    {.no = 53, .key = "waterexplosionart", .slot = Slot::WaterExplosionArt, .kind = Kind::Text, .group = Group::ExplosionAppearance,
     .caption = "Water Explosion ART:", .rule = Rule::TextNone, .exportPlace = {6, 4},
     .description = "The name of animation sequence in the explosion .GAF to use for the water explosions."},
    {.no = 54, .key = "lavaexplosiongaf", .slot = Slot::LavaExplosionGaf, .kind = Kind::Text, .group = Group::ExplosionAppearance,
     .caption = "Lava Explosion GAF:", .rule = Rule::TextNone, .exportPlace = {6, 5},
     .description = ".GAF file that the lava explosion art is in"},
    {.no = 55, .key = "lavaexplosionart", .slot = Slot::LavaExplosionArt, .kind = Kind::Text, .group = Group::ExplosionAppearance,
     .caption = "Lava Explosion ART:", .rule = Rule::TextNone, .exportPlace = {6, 6},
     .description = "The name of animation sequence in the explosion .GAF to use for the lava explosions."},
    {.no = 56, .key = "[DAMAGE]", .slot = kNoSlot, .kind = Kind::List, .group = Group::Damage,
     .description = "These are the ammounts of damage that is done to each unit. The format for this is <Unit Name>=<Ammount of damage to unit>. Default is the ammount of damage done to a unit if it does not have a specific ammount of damage done to it."},
    {.no = 57, .key = "shakemagnitude", .slot = Slot::ShakeMagnitude, .kind = Kind::Number, .group = Group::ExplosionPhysics,
     .caption = "Shake Magnitude:", .rule = Rule::TextZero, .exportPlace = {4, 1},
     .description = "How much the screen shakes when the weapon explodes."},
    {.no = 58, .key = "shakeduration", .slot = Slot::ShakeDuration, .kind = Kind::Number, .group = Group::ExplosionPhysics,
     .caption = "Shake Duration:", .rule = Rule::TextZero, .exportPlace = {4, 2},
     .description = "How long the screen shakes for when the weapon explodes."},
    {.no = 59, .key = "paralyzer", .slot = Slot::Paralyzer, .kind = Kind::Flag, .group = Group::ExplosionPhysics,
     .caption = "Paralyzer:", .rule = Rule::Flag, .exportPlace = {3, 4},
     .description = "Does the weapon paralyze units instead of hurting them. The damage feild specifies the time in ticks that the unit is paralyzed for."},
    {.no = 60, .key = "noexplode", .slot = Slot::NoExplode, .kind = Kind::Flag, .group = Group::ExplosionPhysics,
     .caption = "No Explosion:", .rule = Rule::Flag, .exportPlace = {3, 5},
     .description = "Does the weapon have no explosion."},
    {.no = 61, .key = "areaofeffect", .slot = Slot::AreaOfEffect, .kind = Kind::Number, .group = Group::ExplosionPhysics,
     .caption = "Explosion Area:", .rule = Rule::TextZero, .exportPlace = {3, 6},
     .description = "The area that the explosion effects."},
    {.no = 62, .key = "edgeeffectiveness", .slot = Slot::EdgeEffectiveness, .kind = Kind::Number, .group = Group::ExplosionPhysics,
     .caption = "Edge Power:", .rule = Rule::EdgePercent, .exportPlace = {3, 7},
     .description = "The multiplier of the damage that is done at the edge of the explosion."},
    {.no = 63, .key = "firestarter", .slot = Slot::FireStarter, .kind = Kind::Number, .group = Group::ExplosionPhysics,
     .caption = "Chance of Fire:", .rule = Rule::ChancePercent, .exportPlace = {3, 8},
     .description = "% chance that the weapon will start a fire."},
    {.no = 64, .key = "burnblow", .slot = Slot::BurnBlow, .kind = Kind::Flag, .group = Group::ExplosionPhysics,
     .caption = "Range Explosion:", .rule = Rule::Flag, .exportPlace = {3, 9},
     .description = "Weapon will detonate when it comes to the end of its range."},
    {.no = 65, .key = "weapontimer", .slot = Slot::WeaponTimer, .kind = Kind::Number, .group = Group::ExplosionPhysics,
     .caption = "Weapon Timer:", .rule = Rule::TextNone, .exportPlace = {3, 10},
     .description = "How long weapon is active in seconds, ballistic weapons use 0 so it is calculated."},
    {.no = 66, .key = "noautorange", .slot = Slot::NoAutoRange, .kind = Kind::Flag, .group = Group::ExplosionPhysics,
     .caption = "No Auto-Range:", .rule = Rule::Flag, .exportPlace = {3, 11},
     .description = "When set the weapon will not detonate at range automatically, used mostly for heavy rockets.? any-one know what this means?"},
}};
// clang-format on

inline constexpr int kFieldCount = static_cast<int>(kFields.size());
inline constexpr int kDamageField = 56;

// The numbers run from 1 in order, and the slots follow them, skipping the
// damage list.
static_assert([] {
  int slot = 0;
  for (int i = 0; i < kFieldCount; ++i) {
    if (kFields[i].no != i + 1) return false;
    if (kFields[i].slot == kNoSlot ? kFields[i].no != kDamageField : static_cast<int>(kFields[i].slot) != slot++)
      return false;
  }
  return slot == kSlotCount;
}());

constexpr int slotIndex(Slot s) { return static_cast<int>(s); }

// The row of a field number (1 to 66).
constexpr const FieldRow& fieldByNumber(int no) { return kFields[no - 1]; }
// The row that holds a slot.
constexpr const FieldRow& fieldOfSlot(Slot s) {
  const int i = slotIndex(s);
  return kFields[i < kDamageField - 1 ? i : i + 1];
}

}  // namespace qm
