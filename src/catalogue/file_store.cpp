#include "catalogue/file_store.h"

#include "catalogue/parallel.h"

namespace qm {

FileStore::Held FileStore::hold(const WeaponFilePtr& file, std::string& reason) {
  const std::string key = file->sourceKey();
  if (!key.empty()) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto kept = kept_.find(key);
    if (kept != kept_.end() && file->stillHolds(*kept->second.held)) return kept->second.held;
  }
  auto held = std::make_shared<platform::HeldFile>();
  if (!file->hold(*held, reason)) return nullptr;
  if (!key.empty()) {
    const std::lock_guard<std::mutex> lock(mutex_);
    kept_[key] = {file, held};
  }
  return held;
}

void FileStore::readAhead(const std::vector<WeaponFilePtr>& files) {
  forEachOnThreads(files.size(), [&](std::size_t i, std::size_t) {
    std::string reason;
    hold(files[i], reason);
  });
}

}  // namespace qm
