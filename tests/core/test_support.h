// Helpers shared by the core tests: temporary game folders and a scripted host.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "../support/scripted_host.h"
#include "catalogue/weapon_file.h"

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
  // Writes `bytes` to `relative` (UTF-8, '/' between folders; folders are
  // made as needed); returns the path.
  std::filesystem::path write(std::string_view relative, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

#ifdef QM_CORPUS_STRIDE
// Whether a corpus walk checks its item number `n` (from 0) in depth: every
// item is read and counted, one in QM_CORPUS_STRIDE checked.
inline constexpr std::size_t kCorpusStride = QM_CORPUS_STRIDE;
inline bool inDepth(std::size_t n) { return n % kCorpusStride == 0; }
#endif

// Reads a whole file as bytes.
std::string readFile(const std::filesystem::path& path);

// A game folder with the eight standard files, each empty unless given by
// its name ("cannons.tdf" ...).
void writeGame(const TempDir& dir, const std::map<std::string, std::string>& files);

// A weapon file in memory read in pieces through a buffer of `bufferSize`
// bytes, at most `perRead` bytes a read; the reads fail from byte `failAt`
// on (the file's end included).
class PiecedFile final : public WeaponFile {
 public:
  PiecedFile(std::string bytes, std::size_t bufferSize, std::size_t perRead, std::size_t failAt = std::string::npos)
      : bytes_(std::move(bytes)), bufferSize_(bufferSize), perRead_(perRead), failAt_(failAt) {}
  const std::string& name() const override { return name_; }
  bool read(std::string& out, std::string& reason) const override;
  bool readInPieces(PieceBuffer&, const TakePiece& take, std::string& reason) const override;

 private:
  std::string bytes_, name_ = "pieced.tdf";
  std::size_t bufferSize_, perRead_, failAt_;
};

inline WeaponFilePtr pieced(std::string bytes, std::size_t bufferSize, std::size_t perRead,
                            std::size_t failAt = std::string::npos) {
  return std::make_shared<PiecedFile>(std::move(bytes), bufferSize, perRead, failAt);
}

}  // namespace qm::test
