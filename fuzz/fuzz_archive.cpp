// The archive reader over any bytes: the directory, the path lookup and the
// unpacking of every file.
//
// Invariants:
// - an archive that opens lists no more files than its bytes could hold
//   entries for, no path longer than kMostPathBytes, and each file is found
//   again by its own path in upper case;
// - a file that unpacks gives exactly its listed size; one that does not
//   says why, as damage of the archive.

#include <cstdint>
#include <string>

#include "archive/archive.h"
#include "fuzz_support.h"
#include "text/text.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string reason;
  const auto archive = Archive::open(archiveInMemory(std::string(fuzz::asText(data, size))), reason);
  if (!archive) {
    FUZZ_CHECK(!reason.empty());
    return 0;
  }
  FUZZ_CHECK(archive->members().size() <= size / 9);
  std::string out;
  for (const ArchiveMember& m : archive->members()) {
    FUZZ_CHECK(m.path.size() <= kMostPathBytes);
    const ArchiveMember* found = archive->find(toUpper(m.path));
    FUZZ_CHECK(found && compareFolded(found->path, m.path) == 0);
    reason.clear();
    if (archive->unpack(m, out, reason))
      FUZZ_CHECK(out.size() == m.size);
    else
      FUZZ_CHECK(reason.rfind("damaged archive: ", 0) == 0);
  }
  return 0;
}
