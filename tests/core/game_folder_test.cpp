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

// The folder opened, what the user is told and where the dialog opens: the
// folder given, else the program's, else the one remembered; a given or
// remembered folder that is no game is named with what is wrong.
TEST(GameFolderChoice, GivenThenProgramFolderThenRemembered) {
  test::TempDir program, game, home;
  std::filesystem::create_directory(game.path() / "weapons");
  const auto file = game.Write("notes.txt", "");
  const auto gone = game.path() / "gone" / "deeper";
  struct Step {
    std::string told;                    // a part of the message, empty when none
    std::filesystem::path start;         // where the dialog opens, empty when not asked
    std::optional<std::filesystem::path> pick;
  };
  const struct {
    std::optional<std::filesystem::path> given, remembered;
    std::vector<Step> steps;
    std::optional<std::filesystem::path> chosen;
  } rows[] = {
      {game.path(), std::nullopt, {}, game.path()},
      {std::nullopt, game.path(), {}, game.path()},
      {gone, game.path(), {{"\"" + gone.string() + "\" does not exist. Choose", game.path(), std::nullopt}}, std::nullopt},
      {file, std::nullopt, {{"notes.txt\" is a file, not a folder.", game.path(), game.path()}}, game.path()},
      {std::nullopt, gone, {{"The game folder used last, \"" + gone.string() + "\", does not exist.", game.path(), game.path()}},
       game.path()},
      {std::nullopt, std::nullopt,
       {{"", home.path(), home.path()}, {"\"" + home.path().string() + "\" holds no game: it has no weapons", home.path(), std::nullopt}},
       std::nullopt},
  };
  for (const auto& row : rows) {
    std::vector<Step> seen;
    std::string told;
    const GameFolderPrompts prompts{[&](const std::string& message) { told = message; },
                                    [&](const std::filesystem::path& start) {
                                      const std::size_t n = seen.size();
                                      seen.push_back({told, start, n < row.steps.size() ? row.steps[n].pick : std::nullopt});
                                      told.clear();
                                      return seen.back().pick;
                                    }};
    const auto chosen = chooseGameFolder(row.given, program.path(), row.remembered, home.path(), prompts);
    const std::string what = row.given ? row.given->string() : row.remembered ? row.remembered->string() : "none";
    EXPECT_EQ(chosen, row.chosen) << what;
    ASSERT_EQ(seen.size(), row.steps.size()) << what;
    for (std::size_t i = 0; i < seen.size(); ++i) {
      EXPECT_EQ(seen[i].start, row.steps[i].start) << what;
      EXPECT_EQ(seen[i].told.empty(), row.steps[i].told.empty()) << what << ": " << seen[i].told;
      EXPECT_NE(seen[i].told.find(row.steps[i].told), std::string::npos) << what << ": " << seen[i].told;
    }
  }
  // A game beside the program wins over the one remembered.
  program.Write("game.ufo", "");
  EXPECT_EQ(chooseGameFolder(std::nullopt, program.path(), game.path(), home.path(), {}), program.path());
  // The title names only a game outside the program's folder.
  EXPECT_EQ(gameWindowTitle("Quillmark", program.path() / ".", program.path()), "Quillmark");
  EXPECT_EQ(gameWindowTitle("Quillmark", game.path() / "", program.path()),
            "Quillmark - " + game.path().filename().string());
}

}  // namespace
}  // namespace qm
