// Which folder is the game's: the one given, the program's own when it holds
// a game, the one used last, or else the user is asked.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Whether `dir` holds a game: a weapons folder (any letter case) or one of
// the game's archives (kArchiveExtensions, any letter case).
bool holdsGame(const std::filesystem::path& dir);

// What is wrong with `dir` as a game folder, to follow its name in a message
// ("does not exist", "is a file, not a folder", "holds no game: ..."); empty
// when it holds a game.
std::string gameFolderProblem(const std::filesystem::path& dir);

// How the user is told and asked while the game folder is chosen.
struct GameFolderPrompts {
  std::function<void(const std::string& message)> warn;
  // The folder the user picks in a dialog opened at `start`; nothing when the
  // user cancels.
  std::function<std::optional<std::filesystem::path>(const std::filesystem::path& start)> ask;
};

// The folder the window opens: `given` (from the command line), or when none
// is given the program's folder when it holds a game, else `remembered` when
// it still does, else the user is asked (the dialog opens at `home`). When
// the folder given or remembered is no game the user is told what is wrong
// and asked, the dialog opening at the nearest folder of it that exists; a
// pick that holds no game is named and the user asked again. Nothing when the
// user cancels.
std::optional<std::filesystem::path> chooseGameFolder(const std::optional<std::filesystem::path>& given,
                                                      const std::filesystem::path& programDir,
                                                      const std::optional<std::filesystem::path>& remembered,
                                                      const std::filesystem::path& home,
                                                      const GameFolderPrompts& prompts);

// The window title: the application's title alone for the game in the
// program's own folder, else followed by " - " and the game folder's name.
std::string gameWindowTitle(std::string_view appTitle, const std::filesystem::path& gameDir,
                            const std::filesystem::path& programDir);

}  // namespace qm
