#include "checks/check_set.h"

#include "catalogue/game_files.h"

namespace qm {

std::vector<WeaponFilePtr> gameWeaponFiles(const std::filesystem::path& gameDir) {
  return gameWeaponFiles(GameFiles(gameDir));
}

std::vector<WeaponFilePtr> gameWeaponFiles(const GameFiles& set) {
  std::vector<WeaponFilePtr> files = set.listFiles(true);
  for (const UnreadableFile& damaged : set.damagedArchives())
    files.push_back(unreadableFile(damaged.name, damaged.reason));
  return files;
}

std::vector<WeaponFilePtr> filesToCheck(const GameFiles& set, const std::vector<std::string>& imports) {
  std::vector<WeaponFilePtr> files = gameWeaponFiles(set);
  for (const std::string& name : imports) files.push_back(checkFileNamed(name));
  return files;
}

std::vector<WeaponFilePtr> filesToCheck(const std::filesystem::path& gameDir, const std::vector<std::string>& imports) {
  return filesToCheck(GameFiles(gameDir), imports);
}

WeaponFilePtr checkFileNamed(const std::string& name) {
  WeaponFilePtr file = namedWeaponFile(name);
  return file ? file : unreadableFile(name, "No such file or directory");
}

bool runGameCheck(GameCheck& check, const std::vector<WeaponFilePtr>& files,
                  const std::function<bool(std::size_t, std::size_t)>& progress,
                  const std::function<void()>& beforeFinish) {
  std::string bytes, reason;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i]->read(bytes, reason))
      check.addFile(files[i]->name(), bytes);
    else
      check.addUnreadable(files[i]->name(), reason);
    if (progress && !progress(i + 1, files.size())) return false;
  }
  if (beforeFinish) beforeFinish();
  check.finish();
  return true;
}

bool runGameCheck(GameCheck& check, const std::vector<WeaponFilePtr>& files, References& refs, bool units,
                  const std::function<bool(std::size_t, std::size_t)>& progress) {
  return runGameCheck(check, files, progress, [&] {
    refs.setEngine(check.decidedEngine());
    check.addFindings(refs.findings(check.weapons(), units));
  });
}

}  // namespace qm
