#include "export/writer.h"

#include <filesystem>

#include "platform/files.h"
#include "platform/path_text.h"
#include "text/text.h"

namespace qm {

namespace {

constexpr int kExportGroups = 7;

// The slots in the order of their places, each group followed by kGroupEnd.
// A place taken twice, or a gap in a group, stops the build.
constexpr std::array<Slot, kWrittenLines> makeWriterOrder() {
  std::array<Slot, kWrittenLines> out{};
  std::size_t n = 0;
  for (int group = 1; group <= kExportGroups; ++group) {
    for (int position = 1;; ++position) {
      int found = -1;
      for (int s = 0; s < kSlotCount; ++s) {
        const ExportPlace place = fieldOfSlot(static_cast<Slot>(s)).exportPlace;
        if (place.group != group || place.position != position) continue;
        if (found >= 0) throw "two fields at one export place";
        found = s;
      }
      if (found < 0) break;
      if (n == out.size()) throw "more export places than lines";
      out[n++] = static_cast<Slot>(found);
    }
    if (n == out.size()) throw "more export places than lines";
    out[n++] = kGroupEnd;
  }
  if (n != out.size()) throw "a field has no export place";
  return out;
}

}  // namespace

constexpr std::array<Slot, kWrittenLines> kWriterOrder = makeWriterOrder();

std::string formatExport(std::string_view actualName, std::string_view name, std::int32_t id,
                         const CurrentWeapon& weapon) {
  std::string out;
  auto line = [&out](auto... parts) {
    (out.append(std::string_view(parts)), ...);
    out.append("\r\n");
  };
  line("//This was exported using Quillmark");
  line("[", toUpper(actualName), "]");
  line("\t{");
  line("\tid=", std::to_string(id), ";");
  line("\tname=", name, ";");
  for (Slot s : kWriterOrder) {
    if (s == kGroupEnd) {
      line();
      continue;
    }
    if (weapon[s].empty()) continue;
    line("\t", fieldOfSlot(s).key, "=", weapon[s], ";");
  }
  line("\t[DAMAGE]");
  line("\t\t{");
  for (const std::string& entry : weapon.damage) line("\t\t", entry, ";");
  line("\t\t}");
  line("\t}");
  return out;
}

std::optional<std::string> writeExport(const std::filesystem::path& file, std::string_view actualName,
                                       std::string_view name, std::int32_t id, const CurrentWeapon& weapon) {
  const std::string data = formatExport(actualName, name, id, weapon);
  // Writing over a link writes the file it points to, not a new file in the
  // link's place.
  std::error_code ec;
  std::filesystem::path target = file;
  if (std::filesystem::is_symlink(target, ec)) {
    const auto real = std::filesystem::weakly_canonical(target, ec);
    if (!ec) target = real;
  }
  if (const auto reason = platform::replaceFile(target, data))
    return "Could not write \"" + platform::utf8Of(file) + "\": " + *reason + ".";
  return std::nullopt;
}

}  // namespace qm
