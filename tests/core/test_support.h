// Helpers shared by the core tests: temporary game folders and a scripted host.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "../support/scripted_host.h"

namespace qm::test {

// A folder under the system's temporary folder, removed with everything in it
// when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes `bytes` to `relative` (folders are made as needed); returns the path.
  std::filesystem::path Write(const std::filesystem::path& relative, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

// Reads a whole file as bytes.
std::string ReadFile(const std::filesystem::path& path);

// A game folder with the eight standard files, each empty unless given by
// its name ("cannons.tdf" ...).
void WriteGame(const TempDir& dir, const std::map<std::string, std::string>& files);

}  // namespace qm::test
