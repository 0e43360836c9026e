#include "catalogue/scan.h"

#include "text/lines.h"
#include "text/numbers.h"
#include "weapon/loader.h"

namespace qm {

namespace {

// A line that begins with "[" is a weapon header unless it begins with
// "[DAMAGE]" (letter case exact).
bool IsWeaponHeader(std::string_view line) { return line.substr(0, 8) != "[DAMAGE]"; }

bool IsI(char c) { return c == 'i' || c == 'I'; }
bool IsD(char c) { return c == 'd' || c == 'D'; }

// The ID text of an id line, if the line is one: the text after "id=" (any
// letter case, at the start of the line or after one tab) up to, not
// including, the line's last character.
bool ReadIdLine(std::string_view line, std::string_view& idText) {
  std::size_t start;
  if (line.size() >= 3 && IsI(line[0]) && IsD(line[1]) && line[2] == '=')
    start = 3;
  else if (line.size() >= 4 && line[0] == '\t' && IsI(line[1]) && IsD(line[2]) && line[3] == '=')
    start = 4;
  else
    return false;
  // A line that ends right after "id=" has nothing to drop: its ID text is empty.
  idText = start < line.size() ? line.substr(start, line.size() - start - 1) : std::string_view();
  return true;
}

// Whether an ID text reads as the number zero. Most ID texts are plain
// digits, which are zero exactly when every digit is; the others go through
// the whole number rule.
bool IsZeroId(std::string_view idText) {
  bool digits = !idText.empty(), zeros = true;
  for (char c : idText) {
    digits = digits && c >= '0' && c <= '9';
    zeros = zeros && c == '0';
  }
  return digits ? zeros : ReadsAsZero(idText);
}

}  // namespace

void ScanFile(std::string_view bytes, std::vector<ListEntry>& out) {
  BufferLines lines(bytes);
  std::string_view line;
  // Only lines that begin with "[" can be headers: the others are passed over
  // without being cut.
  while (lines.SkipToLineStartingWith('[') && lines.Next(line)) {
    if (!IsWeaponHeader(line)) continue;
    const std::string_view name = line.size() < 2 ? std::string_view() : line.substr(1, line.size() - 2);

    // Until an id line says otherwise, the ID text is the number 0.
    std::string_view idText = "0";
    while (lines.Next(line))
      if (ReadIdLine(line, idText) && !IsZeroId(idText)) break;

    out.push_back({MakeEntry(idText, name), std::string(name)});
  }
}

ScanOutcome ScanFiles(const std::vector<WeaponFilePtr>& files) {
  ScanOutcome out;
  out.unreadable = ReadEach(files, [&out](std::string_view bytes) { ScanFile(bytes, out.entries); });
  return out;
}

LoadOutcome LoadWeapon(std::string_view bracketName, const std::vector<WeaponFilePtr>& searchList,
                       CurrentWeapon& weapon, bool& damageCarry) {
  LoadOutcome out;
  out.unreadable = ReadEach(searchList, [&](std::string_view bytes) {
    if (SearchFile(bytes, bracketName, weapon, damageCarry)) out.found = true;
  });
  return out;
}

}  // namespace qm
