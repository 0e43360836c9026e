#include "unit/unit_fields.h"

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/text.h"

namespace qm {

namespace {

constexpr std::string_view kIdentity = "Identity", kCost = "Cost and building", kHealth = "Health and senses",
                           kMovement = "Movement", kWeapons = "Weapons", kEconomy = "Economy",
                           kOrders = "Orders and abilities";

constexpr std::array<std::string_view, 7> kGroups = {kIdentity, kCost, kHealth, kMovement, kWeapons, kEconomy, kOrders};

using K = UnitKeyKind;

// The translations, the hints and the flags that share a meaning share
// their description.
constexpr std::string_view kTranslation = "A translation of Name or Description.";
constexpr std::string_view kForForm = "Kept for form; no effect on play.";
constexpr std::string_view kMenuHint = "A hint for the build menus and the computer player.";
constexpr std::string_view kOrder = "Whether the unit takes this order.";
constexpr std::string_view kDrawn = "How the unit is drawn.";
constexpr std::string_view kHowMoves = "How the unit moves.";
constexpr std::string_view kModelMoves = "How its model moves and sits.";
constexpr std::string_view kTarget = "Target and damage behaviour.";
constexpr std::string_view kWhenBuilt = "Its orders when built.";
constexpr std::string_view kSpecial = "A special role.";
constexpr std::string_view kWeaponSlot =
    "One of its weapons, by the weapon's bracket name (the later engine reads up to Weapon32).";

constexpr UnitKey kKeys[] = {
    // Identity
    {"UnitName", kIdentity, "Unit name", K::Text,
     "The name other files use for the unit (build menus, the [DAMAGE] entries of weapon files); by habit the "
     "file's base name. The later engine ignores it and takes the file's base name."},
    {"Name", kIdentity, "Name", K::Text, "The name the player sees."},
    {"Description", kIdentity, "Description", K::Text, "The line shown under the name (\"Fast Assault Tank\")."},
    {"Side", kIdentity, "Side", K::Text, "The side that builds it (ARM or CORE in the original game)."},
    {"Objectname", kIdentity, "Model", K::Text, "Its model, objects3d/NAME.3do."},
    {"TEDClass", kIdentity, "Class", K::Text,
     "Its class for the map editor and the computer player: TANK, KBOT, SHIP, VTOL, PLANT, ENERGY, METAL, FORT, "
     "SPECIAL, COMMANDER, CNSTR, WATER."},
    {"Category", kIdentity, "Categories", K::Categories,
     "What it counts as when weapons choose targets and menus filter (ARM TANK LEVEL1 WEAPON NOTAIR NOTSUB)."},
    {"UnitNumber", kIdentity, "Unit number", K::Whole,
     "The unit's number in the original game; two units on one number are a conflict, as two weapons on one ID "
     "are."},
    {"SoundCategory", kIdentity, "Sound category", K::Text,
     "The section of gamedata/sound.tdf that holds its voice and sounds."},
    {"Corpse", kIdentity, "Corpse", K::Text, "The wreck (a feature) it leaves."},
    {"Designation", kIdentity, "Designation", K::Text, kForForm},
    {"Version", kIdentity, "Version", K::Text, kForForm},
    {"Copyright", kIdentity, "Copyright", K::Text, kForForm},
    {"GermanName", kIdentity, "German name", K::Text, kTranslation},
    {"GermanDescription", kIdentity, "German description", K::Text, kTranslation},
    {"FrenchName", kIdentity, "French name", K::Text, kTranslation},
    {"FrenchDescription", kIdentity, "French description", K::Text, kTranslation},
    {"SpanishName", kIdentity, "Spanish name", K::Text, kTranslation},
    {"SpanishDescription", kIdentity, "Spanish description", K::Text, kTranslation},
    {"ItalianName", kIdentity, "Italian name", K::Text, kTranslation},
    {"ItalianDescription", kIdentity, "Italian description", K::Text, kTranslation},
    {"JapaneseName", kIdentity, "Japanese name", K::Text, kTranslation},
    {"PigLatinName", kIdentity, "Pig Latin name", K::Text, kTranslation},
    {"PigLatinDescription", kIdentity, "Pig Latin description", K::Text, kTranslation},
    {"Downloadable", kIdentity, "Downloadable", K::Whole, kMenuHint},
    {"NoRestrict", kIdentity, "No restriction", K::Whole, kMenuHint},
    // Written "limit NAME 20", "weight NAME 0.5" in the game's own files: texts.
    {"ai_limit", kIdentity, "AI limit", K::Text, kMenuHint},
    {"ai_weight", kIdentity, "AI weight", K::Text, kMenuHint},
    {"SortBias", kIdentity, "Sort bias", K::Whole, kMenuHint},
    // Cost and building
    {"BuildCostMetal", kCost, "Metal cost", K::Number, "Metal it costs."},
    {"BuildCostEnergy", kCost, "Energy cost", K::Number, "Energy it costs."},
    {"BuildTime", kCost, "Build time", K::Number,
     "Work it takes to build; seconds = BuildTime / the builder's WorkerTime."},
    {"WorkerTime", kCost, "Worker time", K::Number,
     "How much work per second it adds when it builds (0: not a builder)."},
    {"Builder", kCost, "Builder", K::Flag, "It can build."},
    {"BuildDistance", kCost, "Build distance", K::Number, "How far from itself it can build."},
    {"YardMap", kCost, "Yard map", K::Text,
     "Which squares of its footprint block, let units through, or need water (one letter a square; may span "
     "lines)."},
    {"BuildAngle", kCost, "Build angle", K::Whole, "How far a built structure may be turned."},
    // Health and senses
    {"MaxDamage", kHealth, "Hit points", K::Number, "Hit points."},
    {"HealTime", kHealth, "Heal time", K::Number, "How long it takes to heal itself."},
    {"DamageModifier", kHealth, "Damage modifier", K::Number,
     "The share of damage it takes while closed (armoured buildings)."},
    {"SightDistance", kHealth, "Sight distance", K::Number, "How far it sees."},
    {"RadarDistance", kHealth, "Radar distance", K::Number, "Its radar range."},
    {"SonarDistance", kHealth, "Sonar distance", K::Number, "Its sonar range."},
    {"RadarDistanceJam", kHealth, "Radar jamming", K::Number, "How far it hides others from radar."},
    {"SonarDistanceJam", kHealth, "Sonar jamming", K::Number, "How far it hides others from sonar."},
    {"Stealth", kHealth, "Stealth", K::Flag, "Not seen on radar."},
    {"CloakCost", kHealth, "Cloak cost", K::Number, "Energy per second to stay cloaked, standing."},
    {"CloakCostMoving", kHealth, "Cloak cost moving", K::Number, "Energy per second to stay cloaked, moving."},
    {"MinCloakDistance", kHealth, "Uncloak distance", K::Number, "How close an enemy must come to uncloak it."},
    {"init_cloaked", kHealth, "Cloaked when built", K::Flag, "Cloaked when built."},
    {"ShootMe", kHealth, "Shoot me", K::Flag, kTarget},
    {"HideDamage", kHealth, "Hide damage", K::Flag, kTarget},
    {"ImmuneToParalyzer", kHealth, "Immune to paralyzer", K::Flag, kTarget},
    // Movement
    {"BMcode", kMovement, "Mobile", K::Flag, "1 a mobile unit, 0 a structure."},
    {"MaxVelocity", kMovement, "Top speed", K::Number, "Top speed."},
    {"Acceleration", kMovement, "Acceleration", K::Number, "How fast it speeds up."},
    {"BrakeRate", kMovement, "Brake rate", K::Number, "How fast it slows down."},
    {"TurnRate", kMovement, "Turn rate", K::Number, "How fast it turns."},
    {"MaxSlope", kMovement, "Steepest slope", K::Number, "The steepest slope it climbs or is built on."},
    {"MaxWaterDepth", kMovement, "Deepest water", K::Number, "The deepest water it can go or stand in."},
    {"MinWaterDepth", kMovement, "Shallowest water", K::Number, "The shallowest water it can go or stand in."},
    {"FootprintX", kMovement, "Footprint X", K::Whole, "Its size across, in map squares."},
    {"FootprintZ", kMovement, "Footprint Z", K::Whole, "Its size from front to back, in map squares."},
    {"MovementClass", kMovement, "Movement class", K::Text, "The movement class it moves as."},
    {"SteeringMode", kMovement, "Steering mode", K::Text, "How it moves when left alone."},
    {"maneuverleashlength", kMovement, "Leash length", K::Text, "How it moves when left alone."},
    {"DefaultMissionType", kMovement, "Default mission", K::Text, "How it moves when left alone."},
    {"CanFly", kMovement, "Can fly", K::Flag, kHowMoves},
    {"CanHover", kMovement, "Can hover", K::Flag, kHowMoves},
    {"Amphibious", kMovement, "Amphibious", K::Flag, kHowMoves},
    {"Floater", kMovement, "Floats", K::Flag, kHowMoves},
    {"Upright", kMovement, "Upright", K::Flag, kHowMoves},
    {"CruiseAlt", kMovement, "Cruise height", K::Number, "Flying height."},
    {"AltFromSeaLevel", kMovement, "Height from sea level", K::Number, "Flying height."},
    {"BankScale", kMovement, "Bank scale", K::Number, kModelMoves},
    {"PitchScale", kMovement, "Pitch scale", K::Number, kModelMoves},
    {"MoveRate1", kMovement, "Move rate 1", K::Number, kModelMoves},
    {"MoveRate2", kMovement, "Move rate 2", K::Number, kModelMoves},
    {"Waterline", kMovement, "Waterline", K::Number, kModelMoves},
    {"Scale", kMovement, "Scale", K::Number, kModelMoves},
    // Weapons
    {"Weapon1", kWeapons, "Weapon 1", K::Weapon, kWeaponSlot},
    {"Weapon2", kWeapons, "Weapon 2", K::Weapon, kWeaponSlot},
    {"Weapon3", kWeapons, "Weapon 3", K::Weapon, kWeaponSlot},
    {"ExplodeAs", kWeapons, "Explodes as", K::Weapon, "The explosion when it is destroyed."},
    {"SelfDestructAs", kWeapons, "Self-destructs as", K::Weapon, "The explosion when it destroys itself."},
    {"SelfDestructCountdown", kWeapons, "Self-destruct countdown", K::Whole, "Seconds before self-destruction."},
    {"NoAutoFire", kWeapons, "No auto fire", K::Flag, "It fires only when ordered."},
    {"wpri_badTargetCategory", kWeapons, "Weapon 1 avoids", K::Categories, "Targets its first weapon avoids."},
    {"wsec_badTargetCategory", kWeapons, "Weapon 2 avoids", K::Categories, "Targets its second weapon avoids."},
    {"BadTargetCategory", kWeapons, "Avoids", K::Categories, "Targets its weapons avoid."},
    {"NoChaseCategory", kWeapons, "Does not chase", K::Categories, "Targets it will not chase."},
    {"Kamikaze", kWeapons, "Kamikaze", K::Flag, "It blows itself up near a target."},
    {"KamikazeDistance", kWeapons, "Kamikaze distance", K::Number, "How near a target it blows itself up."},
    {"AntiWeapons", kWeapons, "Anti-weapons", K::Flag, "Special weapons behaviour: it shoots down missiles."},
    {"IsTargetingUpgrade", kWeapons, "Targeting upgrade", K::Flag,
     "Special weapons behaviour: it improves its side's targeting."},
    {"CanDGun", kWeapons, "Can D-gun", K::Flag, "Special weapons behaviour: it can fire the commander's D-gun."},
    {"AttackRunLength", kWeapons, "Attack run length", K::Number, "Special weapons behaviour: a bomber's run."},
    // Economy
    {"EnergyMake", kEconomy, "Energy made", K::Number, "Energy it makes each second."},
    {"MetalMake", kEconomy, "Metal made", K::Number, "Metal it makes each second."},
    {"EnergyUse", kEconomy, "Energy used", K::Number, "Energy it uses each second while working."},
    {"MakesMetal", kEconomy, "Metal from energy", K::Number, "Metal it makes from energy."},
    {"ExtractsMetal", kEconomy, "Metal extracted", K::Number, "How much metal it draws from a metal spot."},
    {"EnergyStorage", kEconomy, "Energy storage", K::Number, "Energy storage it adds."},
    {"MetalStorage", kEconomy, "Metal storage", K::Number, "Metal storage it adds."},
    {"WindGenerator", kEconomy, "Wind energy", K::Number, "Energy from wind."},
    {"TidalGenerator", kEconomy, "Tidal energy", K::Number, "Energy from the tide."},
    // Orders and abilities
    {"CanMove", kOrders, "Can move", K::Flag, kOrder},
    {"CanPatrol", kOrders, "Can patrol", K::Flag, kOrder},
    {"CanStop", kOrders, "Can stop", K::Flag, kOrder},
    {"CanGuard", kOrders, "Can guard", K::Flag, kOrder},
    {"CanAttack", kOrders, "Can attack", K::Flag, kOrder},
    {"CanCapture", kOrders, "Can capture", K::Flag, kOrder},
    {"CanReclamate", kOrders, "Can reclaim", K::Flag, kOrder},
    {"CanLoad", kOrders, "Can load", K::Flag, kOrder},
    {"OnOffable", kOrders, "On/off switch", K::Flag, "It can be switched on and off."},
    {"ActivateWhenBuilt", kOrders, "On when built", K::Flag, "It starts switched on."},
    {"Commander", kOrders, "Commander", K::Flag, kSpecial},
    {"IsAirBase", kOrders, "Air base", K::Flag, kSpecial},
    {"Teleporter", kOrders, "Teleporter", K::Flag, kSpecial},
    {"Digger", kOrders, "Digger", K::Flag, kSpecial},
    {"IsFeature", kOrders, "Is a feature", K::Flag, kSpecial},
    {"TransportCapacity", kOrders, "Transport capacity", K::Whole, "How much it carries."},
    {"TransportSize", kOrders, "Transport size", K::Whole, "How big a unit it carries."},
    {"TransportMaxUnits", kOrders, "Transport units", K::Whole, "How many units it carries."},
    {"CantBeTransported", kOrders, "Cannot be carried", K::Flag, "It cannot be carried."},
    {"firestandorders", kOrders, "Fire orders", K::Whole, kWhenBuilt},
    {"StandingFireOrder", kOrders, "Standing fire order", K::Whole, kWhenBuilt},
    {"mobilestandorders", kOrders, "Move orders", K::Whole, kWhenBuilt},
    {"StandingMoveOrder", kOrders, "Standing move order", K::Whole, kWhenBuilt},
    {"ShowPlayerName", kOrders, "Shows player name", K::Flag, kDrawn},
    {"NoShadow", kOrders, "No shadow", K::Flag, kDrawn},
    {"ThreeD", kOrders, "Three-D", K::Flag, kDrawn},
    {"ZBuffer", kOrders, "Z-buffer", K::Flag, kDrawn},
    {"OvrAdjust", kOrders, "Overlay adjust", K::Flag, kDrawn},
};

}  // namespace

std::span<const UnitKey> unitKeys() { return kKeys; }

std::span<const std::string_view> unitGroups() { return kGroups; }

const UnitKey* unitKey(std::string_view key) {
  // Every key of every unit is looked up: by its folded text in a table.
  constexpr std::size_t kLongest = 64;
  static const std::vector<std::string> kFolded = [] {
    std::vector<std::string> out;
    for (const UnitKey& k : kKeys) out.push_back(toLower(k.key));
    return out;
  }();
  static const auto kByKey = [] {
    std::unordered_map<std::string_view, const UnitKey*> t;
    for (std::size_t i = 0; i < std::size(kKeys); ++i) t.emplace(kFolded[i], &kKeys[i]);
    return t;
  }();
  if (key.size() > kLongest) return nullptr;
  char folded[kLongest];
  for (std::size_t i = 0; i < key.size(); ++i) folded[i] = foldLower(key[i]);
  const auto it = kByKey.find(std::string_view(folded, key.size()));
  return it == kByKey.end() ? nullptr : it->second;
}

bool isNumberKind(UnitKeyKind kind) {
  return kind == UnitKeyKind::Number || kind == UnitKeyKind::Whole || kind == UnitKeyKind::Flag;
}

std::optional<int> weaponSlotNumber(std::string_view key) {
  constexpr std::string_view kPrefix = "weapon";
  if (key.size() <= kPrefix.size() || key.size() > kPrefix.size() + 2 || !matchesFoldedAt(key, 0, kPrefix))
    return std::nullopt;
  const std::string_view digits = key.substr(kPrefix.size());
  if (digits[0] == '0') return std::nullopt;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n > kLaterWeaponSlots) return std::nullopt;
  return n;
}

}  // namespace qm
