#include "checks/check_set.h"

#include <algorithm>
#include <system_error>

#include "platform/files.h"
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

std::vector<CheckFile> gameWeaponFiles(const std::filesystem::path& gameDir) {
  std::vector<CheckFile> files;
  const std::filesystem::path weapons = findFolded(gameDir, "weapons");
  if (weapons.empty()) return files;
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(weapons, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.' || it->is_directory(ec)) continue;
    if (name.size() < 4 || folded(name.substr(name.size() - 4)) != ".tdf") continue;
    files.push_back({it->path().string(), it->path()});
  }
  std::sort(files.begin(), files.end(), [](const CheckFile& a, const CheckFile& b) {
    const int c = CompareFolded(a.path.filename().string(), b.path.filename().string());
    return c != 0 ? c < 0 : a.name < b.name;
  });
  return files;
}

bool runGameCheck(GameCheck& check, const std::vector<CheckFile>& files,
                  const std::function<bool(std::size_t, std::size_t)>& progress) {
  std::string bytes, reason;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (platform::readRegularFile(files[i].path, bytes, reason))
      check.addFile(files[i].name, bytes);
    else
      check.addUnreadable(files[i].name, reason);
    if (progress && !progress(i + 1, files.size())) return false;
  }
  check.finish();
  return true;
}

}  // namespace qm
