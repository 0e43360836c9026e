// Telling a game folder from any other, and which folder the window opens.
#include <gtest/gtest.h>

#include "catalogue/game_folder.h"
#include "platform/path_text.h"
#include "test_support.h"

namespace qm {
namespace {

TEST(GameFolderChoice, WhatCountsAsAGame) {
  // A trailing slash makes a folder.
  const std::pair<const char*, bool> cases[] = {
      {"weapons/", true},    {"WEAPONS/", true},   {"Weapons/", true},   {"weapons", false}, {"rev31.gp3", true},
      {"TOTALA1.HPI", true}, {"x.ufo", true},      {"x.ccx", true},      {"x.gpf", true},    {"data.hpi/", false},
      {"readme.txt", false}, {"weapons2/", false}, {"a.hpi.txt", false},
  };
  for (const auto& [entry, game] : cases) {
    test::TempDir dir;
    if (std::string_view(entry).back() == '/')
      std::filesystem::create_directories(dir.path() / entry);
    else
      dir.write(entry, "");
    EXPECT_EQ(holdsGame(dir.path()), game) << entry;
  }
  test::TempDir empty;
  EXPECT_FALSE(holdsGame(empty.path() / "none"));  // no such folder
}

// The folder opened, and what the user is told and asked on the way: the
// folder given, else the program's, else the one remembered; a given or
// remembered folder that is no game is named with what is wrong, and the
// dialog opens at the nearest folder of it that exists.
TEST(GameFolderChoice, GivenThenProgramFolderThenRemembered) {
  using Path = std::filesystem::path;
  test::TempDir program, game, home;
  std::filesystem::create_directory(game.path() / "weapons");
  const Path file = game.write("notes.txt", ""), gone = game.path() / "gone" / "deeper";
  const std::string askGame = "ask " + platform::utf8Of(game.path()) + "\n",
                    askHome = "ask " + platform::utf8Of(home.path()) + "\n",
                    choose = ". Choose the folder the game is installed in.\n";
  const struct {
    std::optional<Path> given, remembered;
    std::vector<std::optional<Path>> picks;
    std::string log;  // messages and dialogs, in turn
    std::optional<Path> chosen;
  } rows[] = {
      {game.path(), {}, {}, "", game.path()},
      {{}, game.path(), {}, "", game.path()},
      {gone, game.path(), {std::nullopt}, '"' + platform::utf8Of(gone) + "\" does not exist" + choose + askGame, {}},
      {file,
       {},
       {game.path()},
       '"' + platform::utf8Of(file) + "\" is a file, not a folder" + choose + askGame,
       game.path()},
      {{},
       gone,
       {game.path()},
       "The game folder used last, \"" + platform::utf8Of(gone) + "\", does not exist" + choose + askGame,
       game.path()},
      {{},
       {},
       {home.path(), std::nullopt},
       askHome + "\"" + platform::utf8Of(home.path()) +
           "\" holds no game: it has no weapons folder and no game archive" + " (.gp3, .gpf, .ccx, .ufo, .hpi)" +
           choose + askHome,
       {}},
  };
  for (const auto& row : rows) {
    std::string log;
    std::size_t asked = 0;
    const GameFolderPrompts prompts{[&](const std::string& message) { log += message + "\n"; },
                                    [&](const Path& start) {
                                      log += "ask " + platform::utf8Of(start) + "\n";
                                      return asked < row.picks.size() ? row.picks[asked++] : std::nullopt;
                                    }};
    EXPECT_EQ(chooseGameFolder(row.given, program.path(), row.remembered, home.path(), prompts), row.chosen) << log;
    EXPECT_EQ(log, row.log);
  }
  // A game beside the program wins over the one remembered.
  program.write("game.ufo", "");
  EXPECT_EQ(chooseGameFolder(std::nullopt, program.path(), game.path(), home.path(), {}), program.path());
  // The title names only a game outside the program's folder.
  EXPECT_EQ(gameWindowTitle("Quillmark", program.path() / ".", program.path()), "Quillmark");
  EXPECT_EQ(gameWindowTitle("Quillmark", game.path() / "", program.path()),
            "Quillmark - " + platform::utf8Of(game.path().filename()));
}

}  // namespace
}  // namespace qm
