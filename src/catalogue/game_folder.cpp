#include "catalogue/game_folder.h"

#include <system_error>

#include "archive/archive.h"
#include "catalogue/game_files.h"
#include "platform/path_text.h"
#include "text/text.h"

namespace qm {

namespace {

bool sameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec);
}

// The folder itself when it is one, else the nearest folder above it that
// exists, else `fallback`.
std::filesystem::path nearestFolder(std::filesystem::path p, const std::filesystem::path& fallback) {
  for (; !p.empty(); p = p.parent_path()) {
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) return p;
    if (p == p.parent_path()) break;
  }
  return fallback;
}

// `lead`, the folder's name in quotes, `between`, what is wrong with it, and
// what to do.
std::string folderMessage(std::string_view lead, const std::filesystem::path& dir, std::string_view between,
                          std::string_view problem) {
  std::string message(lead);
  message += '"';
  message += platform::utf8Of(dir);
  message += '"';
  message += between;
  message += problem;
  message += ". Choose the folder the game is installed in.";
  return message;
}

}  // namespace

bool holdsGame(const std::filesystem::path& dir) { return gameFolderProblem(dir).empty(); }

std::string gameFolderProblem(const std::filesystem::path& dir) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(dir, ec);
  if (status.type() == std::filesystem::file_type::not_found) return "does not exist";
  if (ec) return "cannot be read: " + ec.message();
  if (status.type() == std::filesystem::file_type::regular) return "is a file, not a folder";
  if (status.type() != std::filesystem::file_type::directory) return "is not a folder";
  std::filesystem::directory_iterator it(dir, ec);
  if (ec) return "cannot be read: " + ec.message();
  for (const std::filesystem::directory_iterator end; !ec && it != end; it.increment(ec)) {
    const std::filesystem::path& entry = it->path();
    std::error_code typeError;
    if (compareFolded(platform::utf8Of(entry.filename()), "weapons") == 0 && it->is_directory(typeError)) return "";
    if (it->is_regular_file(typeError) && isArchiveName(platform::utf8Of(entry.filename()))) return "";
  }
  return "holds no game: it has no weapons folder and no game archive (" + archiveExtensionList(", ") + ")";
}

std::optional<std::filesystem::path> chooseGameFolder(const std::optional<std::filesystem::path>& given,
                                                      const std::filesystem::path& programDir,
                                                      const std::optional<std::filesystem::path>& remembered,
                                                      const std::filesystem::path& home,
                                                      const GameFolderPrompts& prompts) {
  std::filesystem::path start = home;
  if (given) {
    const std::string problem = gameFolderProblem(*given);
    if (problem.empty()) return given;
    prompts.warn(folderMessage("", *given, " ", problem));
    start = nearestFolder(*given, home);
  } else if (holdsGame(programDir)) {
    return programDir;
  } else if (remembered) {
    const std::string problem = gameFolderProblem(*remembered);
    if (problem.empty()) return remembered;
    prompts.warn(folderMessage("The game folder used last, ", *remembered, ", ", problem));
    start = nearestFolder(*remembered, home);
  }
  for (;;) {
    std::optional<std::filesystem::path> chosen = prompts.ask(start);
    if (!chosen) return std::nullopt;
    const std::string problem = gameFolderProblem(*chosen);
    if (problem.empty()) return chosen;
    prompts.warn(folderMessage("", *chosen, " ", problem));
    start = *chosen;
  }
}

std::string gameWindowTitle(std::string_view appTitle, const std::filesystem::path& gameDir,
                            const std::filesystem::path& programDir) {
  std::string title(appTitle);
  if (sameFolder(gameDir, programDir)) return title;
  // A path ending in a separator has an empty file name: use the folder's.
  std::filesystem::path name = gameDir.filename();
  if (name.empty()) name = gameDir.parent_path().filename();
  if (name.empty()) name = gameDir;
  return title + " - " + platform::utf8Of(name);
}

}  // namespace qm
