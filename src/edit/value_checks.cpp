#include "edit/value_checks.h"

#include <algorithm>
#include <optional>

#include "edit/change.h"
#include "text/lines.h"
#include "text/text.h"

namespace qm::edit {

std::vector<Finding> checkEditedLines(std::string_view bytes, const std::string& file, std::string_view weapon,
                                      const std::vector<std::size_t>& lines, const std::vector<WeaponRecord>& others) {
  std::vector<Finding> out;
  const auto place = findBlock(bytes, weapon);
  if (!place || lines.empty()) return out;
  // The block alone is read by the checks: its findings count lines from
  // its header.
  GameCheck check;
  check.addFile(file, bytes.substr(place->begin, place->end - place->begin));
  check.finish();
  // The line of the header, counted only for a finding to report.
  std::optional<int> header;
  const auto first = [&] { return header ? *header : *(header = lineAt(bytes, place->begin)); };
  std::vector<int> wanted;
  for (std::size_t offset : lines)
    if (offset >= place->begin && offset < place->end)
      wanted.push_back(lineAt(bytes.substr(place->begin), offset - place->begin));
  for (const Finding& f : check.findings()) {
    const bool ofValue = f.check == check::kNotANumber.name || f.check == check::kEmptyValue.name ||
                         f.check == check::kBadId.name || f.check == check::kUnknownKey.name ||
                         f.check == check::kBadFlag.name || f.check == check::kNegativeValue.name;
    if (!ofValue || std::find(wanted.begin(), wanted.end(), f.line) == wanted.end()) continue;
    Finding moved = f;
    moved.line += first() - 1;
    out.push_back(std::move(moved));
  }
  // The ID against the census: one weapon of another name on it is a conflict.
  for (const WeaponRecord& w : check.weapons()) {
    if (!w.id || *w.id < 0 || *w.id >= kIdCount || std::find(wanted.begin(), wanted.end(), w.idLine) == wanted.end())
      continue;
    const std::string lower = toLower(w.name);
    for (const WeaponRecord& o : others) {
      if (o.id != w.id || toLower(o.name) == lower) continue;
      out.push_back(finding(check::kIdConflict, file, w.idLine + first() - 1, w.idColumn,
                            "the ID " + std::to_string(*w.id) + " of " + quoted("[" + w.name + "]") +
                                " is also the ID of " + quoted("[" + o.name + "]") + " at " + o.file + ":" +
                                std::to_string(o.line)));
      break;
    }
  }
  return out;
}

}  // namespace qm::edit
