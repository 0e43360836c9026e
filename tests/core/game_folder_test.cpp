// Telling a game folder from any other, and which folder the window opens.
#include <gtest/gtest.h>

#include "catalogue/game_folder.h"
#include "test_support.h"

namespace qm {
namespace {

TEST(GameFolderChoice, WhatCountsAsAGame) {
  const struct {
    const char* what;
    const char* entry;  // a trailing slash makes a folder
    bool game;
  } cases[] = {
      {"weapons folder", "weapons/", true},       {"in capitals", "WEAPONS/", true},
      {"mixed case", "Weapons/", true},           {"a file named weapons", "weapons", false},
      {"an archive", "rev31.gp3", true},          {"an archive in capitals", "TOTALA1.HPI", true},
      {"each archive type", "x.ufo", true},       {"", "x.ccx", true},
      {"", "x.gpf", true},                        {"a folder named like an archive", "data.hpi/", false},
      {"another file", "readme.txt", false},      {"a near miss", "weapons2/", false},
      {"an archive type inside the name", "a.hpi.txt", false},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    const std::string entry = c.entry;
    if (entry.back() == '/')
      std::filesystem::create_directory(dir.path() / entry.substr(0, entry.size() - 1));
    else
      dir.Write(entry, "");
    EXPECT_EQ(holdsGame(dir.path()), c.game) << c.what << " " << c.entry;
  }
  test::TempDir empty;
  EXPECT_FALSE(holdsGame(empty.path()));
  EXPECT_FALSE(holdsGame(empty.path() / "none"));
}

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
}

TEST(GameFolderChoice, TitleNamesOnlyAForeignGame) {
  test::TempDir program, game;
  EXPECT_EQ(gameWindowTitle("Quillmark", program.path(), program.path()), "Quillmark");
  EXPECT_EQ(gameWindowTitle("Quillmark", program.path() / ".", program.path()), "Quillmark");
  const std::string name = game.path().filename().string();
  EXPECT_EQ(gameWindowTitle("Quillmark", game.path(), program.path()), "Quillmark - " + name);
  EXPECT_EQ(gameWindowTitle("Quillmark", game.path() / "", program.path()), "Quillmark - " + name);
}

}  // namespace
}  // namespace qm
