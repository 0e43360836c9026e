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
  // Reads the files, a few at once, and scans each for its list entries
  // while its bytes are fresh in the cache: later holds find the bytes, and
  // the first scan of each (scanFiles) its entries. Files that cannot be read
  // are left for a later hold to report.
  void readAhead(const std::vector<WeaponFilePtr>& files);
  // The entries a read-ahead scanned for `file`, taken out, while its kept
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
