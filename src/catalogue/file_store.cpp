#include "catalogue/file_store.h"

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
    kept_[key] = {file, held, std::nullopt};
  }
  return held;
}

void FileStore::keepEntries(const WeaponFilePtr& file, const Held& held, WeaponList entries) {
  const std::string key = file->sourceKey();
  if (key.empty()) return;
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto kept = kept_.find(key);
  if (kept != kept_.end() && kept->second.held == held) kept->second.entries = std::move(entries);
}

std::optional<WeaponList> FileStore::takeEntries(const WeaponFilePtr& file) {
  const std::string key = file->sourceKey();
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto kept = kept_.find(key);
  if (key.empty() || kept == kept_.end() || !kept->second.entries || !file->stillHolds(*kept->second.held))
    return std::nullopt;
  std::optional<WeaponList> entries = std::move(kept->second.entries);
  kept->second.entries.reset();
  return entries;
}

}  // namespace qm
