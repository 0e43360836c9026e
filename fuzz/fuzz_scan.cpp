// The catalogue scan over a whole file held in memory, and the sorted weapon
// list it feeds.
//
// Invariants:
// - the whole-buffer line cutter gives the same lines as cutting one byte at
//   a time;
// - the scan of the file read in pieces, through a buffer of any size, lists
//   what the scan of the whole file does;
// - the scan lists exactly what reading the file line by line does: a line
//   beginning with "[" and not with "[DAMAGE]" is a weapon, its ID text the
//   next id line whose text is not zero, every line read while looking for
//   it consumed;
// - the list adds batches exactly as adding their entries one by one at their
//   sorted places would, equal texts keeping the order of adding.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/scan.h"
#include "catalogue/weapon_list.h"
#include "fuzz_support.h"
#include "text/lines.h"
#include "text/numbers.h"
#include "text/text.h"

using namespace qm;

namespace {

struct Entry {
  std::string text, name;
  bool operator==(const Entry&) const = default;
};

std::vector<Entry> copied(const WeaponList::Entries& entries) {
  std::vector<Entry> out;
  for (const ListEntry& e : entries) out.push_back({std::string(e.text), std::string(e.name)});
  return out;
}

// The scan, one line at a time.
std::vector<Entry> ScanLineByLine(std::string_view bytes) {
  std::vector<Entry> out;
  BufferLines lines(bytes);
  std::string_view line;
  while (lines.next(line)) {
    if (line.empty() || line[0] != '[' || line.substr(0, 8) == "[DAMAGE]") continue;
    const std::string name(line.size() < 2 ? std::string_view() : line.substr(1, line.size() - 2));
    std::string idText = "0";
    while (lines.next(line)) {
      std::size_t start = 0;
      if (matchesFoldedAt(line, 0, "id="))
        start = 3;
      else if (!line.empty() && line[0] == '\t' && matchesFoldedAt(line, 1, "id="))
        start = 4;
      else
        continue;
      idText = start < line.size() ? std::string(line.substr(start, line.size() - start - 1)) : std::string();
      if (!readsAsZero(idText)) break;
    }
    out.push_back({makeEntry(idText, name), name});
  }
  return out;
}

std::vector<std::string> Cut(std::string_view bytes) {
  std::vector<std::string> out;
  BufferLines lines(bytes);
  for (std::string_view line; lines.next(line);) out.emplace_back(line);
  return out;
}

// The same lines cut one byte at a time.
std::vector<std::string> CutBytewise(std::string_view bytes) {
  std::vector<std::string> out;
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') {
      line += bytes[i];
      continue;
    }
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    out.push_back(std::move(line));
    line.clear();
  }
  if (!line.empty()) out.push_back(std::move(line));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file = fuzz::asText(data, size);

  FUZZ_CHECK(Cut(file) == CutBytewise(file));

  const std::vector<Entry> entries = ScanLineByLine(file);

  // The sorted list: two batches, against insertion one by one.
  WeaponList list, second;
  std::vector<Entry> reference;
  const std::size_t half = entries.size() / 2;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    // The ID text is what stands before " - " and the name.
    (i < half ? list : second).append(std::string_view(e.text).substr(0, e.text.size() - e.name.size() - 3), e.name);
    if (i + 1 == half && size % 2 == 1) FUZZ_CHECK(list.entries().size() == half);  // read in between, or not
    const auto at = std::upper_bound(reference.begin(), reference.end(), e,
                                     [](const Entry& x, const Entry& y) { return compareFolded(x.text, y.text) < 0; });
    reference.insert(at, e);
  }
  list.add(std::move(second));
  FUZZ_CHECK(copied(list.entries()) == reference);

  // The scan, of the whole file and in pieces.
  WeaponList whole;
  scanFile(file, whole);
  FUZZ_CHECK(copied(whole.entries()) == reference);
  WeaponList pieced;
  FileScan scan(pieced);
  PieceBuffer buffer(1 + size % 13);
  std::size_t at = 0;
  std::string reason;
  const ReadSome readSome = [&](char* out, std::size_t n, std::string&) {
    const std::size_t count = std::min({n, 1 + size % 5, file.size() - at});
    file.copy(out, count, at);
    at += count;
    return static_cast<std::ptrdiff_t>(count);
  };
  FUZZ_CHECK(readLinePieces(
      buffer, readSome, [&scan](std::string_view p) { scan.piece(p); }, reason));
  scan.end();
  FUZZ_CHECK(copied(pieced.entries()) == reference);
  return 0;
}
