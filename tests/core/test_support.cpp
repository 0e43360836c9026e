#include "test_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/path_text.h"

namespace qm::test {

bool PiecedFile::read(std::string& out, std::string& reason) const {
  out.clear();
  PieceBuffer unused(1);
  return readInPieces(
      unused, [&out](std::string_view piece) { out += piece; }, reason);
}

bool PiecedFile::readInPieces(PieceBuffer&, const TakePiece& take, std::string& reason) const {
  PieceBuffer buffer(bufferSize_);
  std::size_t at = 0;
  const ReadSome readSome = [&](char* out, std::size_t n, std::string& why) -> std::ptrdiff_t {
    if (at >= failAt_) {
      why = "failed";
      return -1;
    }
    const std::size_t count = std::min({n, perRead_, failAt_ - at, bytes_.size() - at});
    bytes_.copy(out, count, at);
    at += count;
    return static_cast<std::ptrdiff_t>(count);
  };
  return readLinePieces(buffer, readSome, take, reason);
}

TempDir::TempDir() {
  // Making the folder claims the name; a name already taken is passed over.
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = std::filesystem::temp_directory_path() / ("quillmark-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(path_)) return;
  }
  throw std::runtime_error("no temporary folder could be made");
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back any permissions a test took away so the folder can go.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::write(std::string_view relative, const std::string& bytes) const {
  auto full = path_ / platform::pathOf(relative);
  full.make_preferred();  // as the system writes paths, whatever separator `relative` used
  std::filesystem::create_directories(full.parent_path());
  std::ofstream(full, std::ios::binary) << bytes;
  return full;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void writeGame(const TempDir& dir, const std::map<std::string, std::string>& files) {
  for (const char* name : {"cannons.tdf", "fires.tdf", "lasers.tdf", "meteors.tdf", "missiles.tdf", "rockets.tdf",
                           "units.tdf", "weapons.tdf"}) {
    const auto it = files.find(name);
    dir.write(std::string("weapons/") + name, it == files.end() ? std::string() : it->second);
  }
}

}  // namespace qm::test
