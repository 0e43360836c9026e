#include "catalogue/scan.h"

#include <string>

#include "weapon/line_reader.h"
#include "weapon/numbers.h"
#include "weapon/text.h"

namespace qm {

namespace {

bool IsWeaponHeader(std::string_view line) {
  return !line.empty() && line[0] == '[' && line.substr(0, 8) != "[DAMAGE]";
}

// The ID text of an id line, if the line is one: the text after "id=" up to,
// not including, the line's last character.
bool ReadIdLine(std::string_view line, std::string& idText) {
  std::size_t start;
  if (MatchesFoldedAt(line, 0, "id="))
    start = 3;
  else if (!line.empty() && line[0] == '\t' && MatchesFoldedAt(line, 1, "id="))
    start = 4;
  else
    return false;
  // A line that ends right after "id=" has nothing to drop: its ID text is empty.
  idText = start < line.size() ? std::string(line.substr(start, line.size() - start - 1)) : std::string();
  return true;
}

}  // namespace

void ScanFile(std::string_view bytes, std::vector<ListEntry>& out) {
  LineReader lines(bytes);
  std::string_view line;
  while (lines.Next(line)) {
    if (!IsWeaponHeader(line)) continue;
    std::string name = line.size() < 2 ? std::string() : std::string(line.substr(1, line.size() - 2));

    // Until an id line says otherwise, the ID text is the number 0.
    std::string idText = "0";
    while (lines.Next(line))
      if (ReadIdLine(line, idText) && !ReadsAsZero(idText)) break;

    out.push_back({MakeEntry(idText, name), std::move(name)});
  }
}

ScanOutcome ScanFiles(const std::vector<WeaponFilePtr>& files) {
  ScanOutcome out;
  out.unreadable = ReadEach(files, [&out](std::string_view bytes) { ScanFile(bytes, out.entries); });
  return out;
}

}  // namespace qm
