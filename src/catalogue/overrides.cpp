#include "catalogue/overrides.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "platform/path_text.h"
#include "text/text.h"

namespace qm {

namespace {

namespace fs = std::filesystem;

std::string foldedBytes(std::string s) {
  for (char& c : s) c = foldLower(c);
  return s;
}

bool heldByAnArchive(const GameFiles& files, std::string_view inner) {
  return std::any_of(files.archives().begin(), files.archives().end(),
                     [&](const GameFiles::Source& s) { return s.archive->find(inner) != nullptr; });
}

}  // namespace

std::vector<Override> gameOverrides(const GameFiles& files) {
  // The first folders of the archives' paths, folded.
  std::set<std::string> tops;
  for (const GameFiles::Source& s : files.archives())
    for (const ArchiveMember& m : s.archive->members())
      if (const std::size_t slash = m.path.find('/'); slash != std::string::npos)
        tops.insert(foldedBytes(m.path.substr(0, slash)));
  std::vector<Override> out;
  std::error_code ec;
  for (fs::directory_iterator top(files.gameDir(), ec), end; !ec && top != end; top.increment(ec)) {
    if (!top->is_directory(ec) || !tops.count(foldedBytes(utf8ToCp1252(platform::utf8Of(top->path().filename())))))
      continue;
    std::error_code walkError;
    for (fs::recursive_directory_iterator it(top->path(), walkError), last; !walkError && it != last;
         it.increment(walkError)) {
      std::error_code statError;
      if (!it->is_regular_file(statError)) continue;
      std::string inner = utf8ToCp1252(platform::utf8Of(it->path().lexically_relative(files.gameDir())));
      if (heldByAnArchive(files, inner)) out.push_back({std::move(inner), it->path()});
    }
  }
  std::sort(out.begin(), out.end(),
            [](const Override& a, const Override& b) { return foldedBytes(a.inner) < foldedBytes(b.inner); });
  return out;
}

std::string readFrom(const GameFiles& files, std::string_view inner, std::string_view archiveName) {
  for (const GameFiles::Source& s : files.archives()) {
    const std::string name = platform::utf8Of(platform::pathOf(s.name).filename());
    if (toLowerUtf8(name) == toLowerUtf8(archiveName)) continue;  // replaced by the new one
    if (!searchedBefore(name, archiveName)) break;
    if (s.archive->find(inner)) return name;
  }
  return std::string(archiveName);
}

}  // namespace qm
