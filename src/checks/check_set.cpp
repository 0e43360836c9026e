#include "checks/check_set.h"

#include <algorithm>
#include <system_error>

#include "weapon/text.h"

namespace qm {

namespace {

std::string folded(std::string s) {
  for (char& c : s) c = FoldLower(c);
  return s;
}

// The entry of `dir` whose name equals `name` in any letter case; the name as
// written first.
std::filesystem::path findFolded(const std::filesystem::path& dir, const std::string& name) {
  std::error_code ec;
  if (std::filesystem::is_directory(dir / name, ec)) return dir / name;
  std::vector<std::filesystem::path> matches;
  for (auto it = std::filesystem::directory_iterator(dir, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec))
    if (folded(it->path().filename().string()) == name && it->is_directory(ec)) matches.push_back(it->path());
  std::sort(matches.begin(), matches.end());
  return matches.empty() ? std::filesystem::path() : matches.front();
}

}  // namespace

std::vector<WeaponFilePtr> gameWeaponFiles(const std::filesystem::path& gameDir) {
  std::vector<std::filesystem::path> paths;
  const std::filesystem::path weapons = findFolded(gameDir, "weapons");
  if (weapons.empty()) return {};
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(weapons, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.' || it->is_directory(ec)) continue;
    if (name.size() < 4 || folded(name.substr(name.size() - 4)) != ".tdf") continue;
    paths.push_back(it->path());
  }
  std::sort(paths.begin(), paths.end(), [](const std::filesystem::path& a, const std::filesystem::path& b) {
    const int c = CompareFolded(a.filename().string(), b.filename().string());
    return c != 0 ? c < 0 : a < b;
  });
  std::vector<WeaponFilePtr> files;
  for (auto& path : paths) files.push_back(looseFile(std::move(path)));
  return files;
}

bool runGameCheck(GameCheck& check, const std::vector<WeaponFilePtr>& files,
                  const std::function<bool(std::size_t, std::size_t)>& progress) {
  std::string bytes, reason;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i]->read(bytes, reason))
      check.addFile(files[i]->name(), bytes);
    else
      check.addUnreadable(files[i]->name(), reason);
    if (progress && !progress(i + 1, files.size())) return false;
  }
  check.finish();
  return true;
}

}  // namespace qm
