// The archive writer over any file set: what it packs, the reader gives back.
//
// The input is cut into files: a first byte choosing the method and level,
// then per file a name (its bytes mapped onto a few letters of both cases,
// '/' and two Windows-1252 letters, so that names clash in letter case and
// files meet folders of their name) and content, which a repeat count may
// stretch past one chunk.
//
// Invariants:
// - a file set packRefusal turns away is refused by packArchive alike, and
//   no archive is written;
// - any other is written, opens, lists every file once, in name order with
//   letter case ignored, under its own file name, and unpacks each to
//   exactly its bytes.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "archive/archive.h"
#include "archive/archive_writer.h"
#include "fuzz_support.h"
#include "text/text.h"

using namespace qm;

namespace {

constexpr char kNameBytes[] = "aAbB/./\xE9\xC9";

std::vector<std::string> foldedParts(const std::string& path) {
  std::vector<std::string> parts(1);
  for (char c : path)
    if (c == '/')
      parts.emplace_back();
    else
      parts.back() += foldLower(c);
  return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  PackOptions options;
  options.method = static_cast<PackMethod>(data[0] % 3);
  options.level = 1 + (data[0] / 3) % kMostPackLevel;
  options.threads = 2;
  std::vector<PackInput> files;
  std::size_t i = 1;
  while (i + 3 <= size && files.size() < 16) {
    const std::size_t nameLength = 1 + data[i++] % 8;
    std::string name;
    for (std::size_t k = 0; k < nameLength && i < size; ++k) name += kNameBytes[data[i++] % (sizeof kNameBytes - 1)];
    if (i + 2 > size) break;
    const std::size_t length = data[i] % 64, repeat = 1 + data[i + 1] % 4 * 700;
    i += 2;
    const std::string unit(fuzz::asText(data + i, std::min(length, size - i)));
    i += unit.size();
    std::string bytes;
    for (std::size_t r = 0; r < repeat && !unit.empty(); ++r) bytes += unit;
    files.push_back({name, {}, bytes});
  }

  static const std::filesystem::path out =
      std::filesystem::temp_directory_path() / ("fuzz-pack-" + std::to_string(::getpid()) + ".hpi");
  std::filesystem::remove(out);
  const auto refusal = packRefusal(files);
  const PackOutcome packed = packArchive(out, files, options);
  if (refusal) {
    FUZZ_CHECK(packed.failure == refusal);
    FUZZ_CHECK(!std::filesystem::exists(out));
    return 0;
  }
  FUZZ_CHECK(!packed.failure);
  std::string reason, bytes;
  const auto archive = Archive::open(out, reason);
  FUZZ_CHECK(archive);
  FUZZ_CHECK(archive->members().size() == files.size());
  for (std::size_t m = 1; m < archive->members().size(); ++m)
    FUZZ_CHECK(foldedParts(archive->members()[m - 1].path) < foldedParts(archive->members()[m].path));
  for (const PackInput& f : files) {
    const ArchiveMember* member = archive->find(f.path);
    // A folder named in several letter cases is one folder, named once.
    FUZZ_CHECK(member && compareFolded(member->path, f.path) == 0);
    FUZZ_CHECK(f.path.substr(f.path.rfind('/') + 1) == member->path.substr(member->path.rfind('/') + 1));
    FUZZ_CHECK(archive->unpack(*member, bytes, reason));
    FUZZ_CHECK(bytes == *f.bytes);
  }
  std::filesystem::remove(out);
  return 0;
}
