// Telling a game folder from any other, and which folder the window opens.
#include <gtest/gtest.h>

#include "catalogue/game_folder.h"
#include "test_support.h"

namespace qm {
namespace {

TEST(GameFolderChoice, WhatCountsAsAGame) {
  // A trailing slash makes a folder.
  const std::pair<const char*, bool> cases[] = {
      {"weapons/", true},    {"WEAPONS/", true},   {"Weapons/", true},    {"weapons", false},      {"rev31.gp3", true},
      {"TOTALA1.HPI", true}, {"x.ufo", true},      {"x.ccx", true},       {"x.gpf", true},         {"data.hpi/", false},
      {"readme.txt", false}, {"weapons2/", false}, {"a.hpi.txt", false},
  };
  for (const auto& [entry, game] : cases) {
    test::TempDir dir;
    if (std::string_view(entry).back() == '/')
      std::filesystem::create_directories(dir.path() / entry);
    else
      dir.Write(entry, "");
    EXPECT_EQ(holdsGame(dir.path()), game) << entry;
  }
  test::TempDir empty;
  EXPECT_FALSE(holdsGame(empty.path() / "none"));  // no such folder
}

// The folder opened when none is given, and the window's title for it.
TEST(GameFolderChoice, ProgramFolderThenRememberedThenAsk) {
  test::TempDir program, remembered, other;
  std::filesystem::create_directory(remembered.path() / "weapons");
  // No game beside the program: the remembered folder, if it still holds one.
  EXPECT_EQ(defaultGameFolder(program.path(), remembered.path()), remembered.path());
  EXPECT_EQ(defaultGameFolder(program.path(), other.path()), std::nullopt);
  EXPECT_EQ(defaultGameFolder(program.path(), std::nullopt), std::nullopt);
  // A game beside the program wins.
  program.Write("game.ufo", "");
  EXPECT_EQ(defaultGameFolder(program.path(), remembered.path()), program.path());
  // The title names only a game outside the program's folder.
  EXPECT_EQ(gameWindowTitle("Quillmark", program.path() / ".", program.path()), "Quillmark");
  EXPECT_EQ(gameWindowTitle("Quillmark", remembered.path() / "", program.path()),
            "Quillmark - " + remembered.path().filename().string());
}

}  // namespace
}  // namespace qm
