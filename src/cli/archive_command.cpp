// quillmark-cli archive FILE [PATH]: the list of an archive, or one file of it
// unpacked to standard output.
#include <memory>
#include <optional>

#include "archive/archive.h"
#include "cli/command.h"
#include "text/text.h"

namespace qm {

namespace {

// A path made fit for a one-a-line listing: newline, carriage return, tab and
// backslash written as \n, \r, \t and \\.
std::string listedPath(std::string_view path) {
  std::string out;
  for (char c : path) {
    const char* escape = c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : c == '\\' ? "\\\\" : nullptr;
    if (escape)
      out += escape;
    else
      out += c;
  }
  return out;
}

}  // namespace

Command::Run declareArchive(CLI::App& sub) {
  struct Args {
    std::string file;
    std::optional<std::string> path;
  };
  auto a = std::make_shared<Args>();
  sub.add_option("FILE", a->file, "The archive (" + archiveExtensionList(", ") + ")")->type_name("FILE")->required();
  sub.add_option("PATH", a->path, "A file inside it, letter case ignored")->type_name("PATH");
  return [a](Session& session) {
    std::string reason;
    const auto archive = Archive::open(std::filesystem::path(a->file), reason);
    if (!archive) {
      session.err << a->file << ": " << reason << '\n';
      return 1;
    }
    if (!a->path) {
      for (const ArchiveMember& m : archive->members())
        session.out << m.size << '\t' << methodName(m.method) << '\t' << listedPath(cp1252ToUtf8(m.path)) << '\n';
      return 0;
    }
    const ArchiveMember* member = archive->find(utf8ToCp1252(*a->path));
    if (!member) {
      session.err << a->file << ": no file " << *a->path << " inside\n";
      return 1;
    }
    std::string bytes;
    if (!archive->unpack(*member, bytes, reason)) {
      session.err << a->file << "/" << cp1252ToUtf8(member->path) << ": " << reason << '\n';
      return 1;
    }
    session.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return 0;
  };
}

}  // namespace qm
