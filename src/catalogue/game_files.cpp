#include "catalogue/game_files.h"

#include <string>
#include <system_error>

#include "weapon/text.h"

namespace qm {

namespace {

// `dir`/`name` as written if it exists, else the first entry of `dir` whose
// name equals `name` with letter case ignored, else `dir`/`name`.
std::filesystem::path FindFolded(const std::filesystem::path& dir, std::string_view name) {
  std::filesystem::path exact = dir / name;
  std::error_code ec;
  if (std::filesystem::exists(exact, ec)) return exact;
  std::filesystem::path best;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (CompareFolded(entry, name) == 0 && (best.empty() || entry < best.filename().string()))
      best = it->path();
  }
  return best.empty() ? exact : best;
}

}  // namespace

std::vector<std::filesystem::path> StandardFilePaths(const std::filesystem::path& gameDir) {
  const std::filesystem::path weapons = FindFolded(gameDir, "weapons");
  std::vector<std::filesystem::path> out;
  for (std::string_view name : kStandardFiles) out.push_back(FindFolded(weapons, name));
  return out;
}

}  // namespace qm
