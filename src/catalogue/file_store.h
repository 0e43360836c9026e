// Weapon files read whole and kept for a while, so that one piece of work
// that walks the files more than once (the list's scan, then the weapons
// table) reads each from disk once.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/weapon_file.h"
#include "catalogue/weapon_list.h"
#include "platform/files.h"

namespace qm {

class FileStore {
 public:
  using Held = std::shared_ptr<const platform::HeldFile>;

  // The whole of `file`: the bytes kept for its source (WeaponFile::sourceKey),
  // when the file has not changed since they were read (stillHolds), or else
  // read now and kept. Bytes held in memory are not kept. Null with `reason`
  // when it cannot be read. Safe to call from several threads at once.
  Held hold(const WeaponFilePtr& file, std::string& reason);
  // Keeps the list entries scanned from `held`, the bytes this store gave
  // for `file`, for takeEntries; nothing when the store keeps other bytes
  // for it by now.
  void keepEntries(const WeaponFilePtr& file, const Held& held, WeaponList entries);
  // The entries kept for `file`, taken out, while its kept
  // bytes are still what it holds; nothing otherwise.
  std::optional<WeaponList> takeEntries(const WeaponFilePtr& file);

 private:
  std::mutex mutex_;
  // By source. The file objects are kept too: an archive's member names the
  // archive object by its address, which must stay its own.
  struct Kept {
    WeaponFilePtr file;
    Held held;
    std::optional<WeaponList> entries;
  };
  std::unordered_map<std::string, Kept> kept_;
};

}  // namespace qm
