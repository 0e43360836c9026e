// Which folder is the game's: the one given, the program's own when it holds
// a game, the one used last, or else the user is asked.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Whether `dir` holds a game: a weapons folder (any letter case) or one of
// the game's archives (.hpi .ufo .ccx .gp3 .gpf, any letter case).
bool holdsGame(const std::filesystem::path& dir);

// The game folder when none was given: the program's folder when it holds a
// game, else the remembered one when it still does; nothing means ask.
std::optional<std::filesystem::path> defaultGameFolder(const std::filesystem::path& programDir,
                                                       const std::optional<std::filesystem::path>& remembered);

// The window title: the application's title alone for the game in the
// program's own folder, else followed by " - " and the game folder's name.
std::string gameWindowTitle(std::string_view appTitle, const std::filesystem::path& gameDir,
                            const std::filesystem::path& programDir);

// The message for a chosen folder that holds no game.
std::string noGameMessage(const std::filesystem::path& dir);

}  // namespace qm
