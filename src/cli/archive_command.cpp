#include "cli/archive_command.h"

#include "archive/archive.h"
#include "weapon/text.h"

namespace qm {

int RunArchiveCommand(const std::filesystem::path& file, const std::optional<std::string>& inner, std::ostream& out,
                      std::ostream& err) {
  std::string reason;
  const auto archive = Archive::Open(file, reason);
  if (!archive) {
    err << file.string() << ": " << reason << '\n';
    return 1;
  }
  if (!inner) {
    for (const ArchiveMember& m : archive->members())
      out << m.size << '\t' << MethodName(m.method) << '\t' << Cp1252ToUtf8(m.path) << '\n';
    return 0;
  }
  const ArchiveMember* member = archive->Find(Utf8ToCp1252(*inner));
  if (!member) {
    err << file.string() << ": no file " << *inner << " inside\n";
    return 1;
  }
  std::string bytes;
  if (!archive->Unpack(*member, bytes, reason)) {
    err << file.string() << "/" << Cp1252ToUtf8(member->path) << ": " << reason << '\n';
    return 1;
  }
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return 0;
}

}  // namespace qm
