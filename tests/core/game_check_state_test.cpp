// The Game check window's state: what a double-click on a finding or a row
// of the references shows, and where the window goes beside the main one.
#include <gtest/gtest.h>

#include "platform/path_text.h"
#include "presentation/game_check_state.h"
#include "test_support.h"

namespace qm {
namespace {

std::string shown(const CheckTarget& t) {
  switch (t.kind) {
    case CheckTarget::Kind::Weapon:
      return "weapon " + t.name;
    case CheckTarget::Kind::Unit:
      return "unit line " + std::to_string(t.line);
    case CheckTarget::Kind::None:
      break;
  }
  return "nothing";
}

// A finding inside a weapon's block shows the last weapon whose header is at
// or above its line; one in a unit file shows the unit at its line; one in
// another file shows nothing.
TEST(GameCheckStateTest, WhatADoubleClickShows) {
  test::TempDir dir;
  test::writeGame(dir, {{"cannons.tdf",
                         "[GUN]\r\n{\r\nid=1;\r\nsoundstart=bang;\r\n}\r\n"
                         "[LASER]\r\n{\r\nid=2;\r\nreloadtim=2;\r\n}\r\n"}});
  dir.write("units/arma.fbi", "[UNITINFO]\r\n{\r\nUnitName=ARMA;\r\nWeapon1=NOPE;\r\nMaxDamage=lots;\r\n}\r\n");
  dir.write("units/armb.fbi", "[UNITINFO]\r\n{\r\nUnitName=ARMB;\r\nWeapon1=LASER;\r\n}\r\n");
  dir.write("sounds/other.wav", "RIFF");
  dir.write("broken.ufo", "not an archive");
  GameCheckState state(dir.path(), CheckFilter({}, {}));
  state.startRun();
  state.setResult(checkWholeGame(
      dir.path(), {}, [](std::size_t) {}, [](std::size_t) { return true; }));
  ASSERT_TRUE(state.result());

  std::map<std::string, std::string> byCheck;  // the findings' check: where it is and what it shows
  for (std::size_t row = 0; row < state.findingRows(); ++row) {
    const std::string message = state.findingCell(row, 3).text;
    byCheck[message.substr(message.rfind('[') + 1)] =
        state.findingCell(row, 0).text + ":" + state.findingCell(row, 1).text + " " + shown(state.findingTarget(row));
  }
  EXPECT_EQ(byCheck["missing-sound]"], "weapons/cannons.tdf:4 weapon GUN");
  EXPECT_EQ(byCheck["unknown-key]"], "weapons/cannons.tdf:9 weapon LASER");
  EXPECT_EQ(byCheck["not-a-number]"], "units/arma.fbi:5 unit line 5");
  EXPECT_EQ(byCheck["unreadable]"], "broken.ufo: nothing");

  // The references: a weapon shows itself, a unit under it and a weapon
  // name nothing resolves show the unit.
  std::vector<std::string> rows;
  for (const ReferenceRow& group : state.references()) {
    rows.push_back(group.name + " " + shown(group.target));
    for (const ReferenceRow& r : group.children) {
      rows.push_back("  " + r.name + " " + r.what + " " + r.where + " " + shown(r.target));
      for (const ReferenceRow& u : r.children) rows.push_back("    " + u.name + " " + shown(u.target));
    }
  }
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "Weapons (2) nothing",
                      "  GUN no unit weapons/cannons.tdf:1 weapon GUN",
                      "  LASER used by 1 unit weapons/cannons.tdf:6 weapon LASER",
                      "    ARMB unit line 4",
                      "Unresolved names (2) nothing",
                      "  NOPE weapon named by the unit ARMA units/arma.fbi:4 unit line 4",
                      "  bang sound named by [GUN] weapons/cannons.tdf:4 weapon GUN",
                  }));
}

// Right of the main window when there is room there, else left, else as
// far right as the screen allows; narrowed to the room down to the least.
TEST(GameCheckStateTest, PlacesTheWindowBesideTheMainWindow) {
  const ScreenBox room{0, 0, 1920, 1080}, frame{0, 0, 10, 30};
  const struct {
    const char* what;
    ScreenBox main;
    int wanted;
    ScreenBox placed;
  } cases[] = {
      {"right", {100, 50, 800, 600}, 820, {900, 50, 820, 570}},
      {"left", {1000, 50, 800, 600}, 820, {170, 50, 820, 570}},
      {"right, narrowed", {500, 50, 900, 600}, 820, {1400, 50, 510, 570}},
      {"neither: the least width at the screen's right", {150, 50, 1700, 600}, 820, {1590, 50, 320, 570}},
      {"a wish narrower than the least", {100, 50, 800, 600}, 100, {900, 50, 320, 570}},
      {"raised to stay on the screen", {100, 700, 800, 600}, 820, {900, 480, 820, 570}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(placeBeside(room, c.main, frame, c.main.height - frame.height, c.wanted, 320), c.placed) << c.what;
}

}  // namespace
}  // namespace qm
