// The reader of animation files' sequence names over any bytes.
//
// Invariants:
// - a file that reads gives no more names than its bytes hold sequence
//   records for, each name shorter than its 32 bytes and free of zero bytes;
// - a file that does not read says why, as damage, and gives no names.

#include <cstdint>
#include <string>
#include <vector>

#include "checks/gaf.h"
#include "fuzz_support.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> names;
  std::string reason;
  if (!readGafSequenceNames(fuzz::asText(data, size), names, reason)) {
    FUZZ_CHECK(reason.rfind("damaged animation file: ", 0) == 0);
    return 0;
  }
  FUZZ_CHECK(reason.empty());
  FUZZ_CHECK(names.size() <= size / 4);
  for (const std::string& name : names) FUZZ_CHECK(name.size() < 32 && name.find('\0') == std::string::npos);
  return 0;
}
