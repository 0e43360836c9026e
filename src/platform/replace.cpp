// The parts of replacing a file that read alike on every system: which
// names are temporary files, links followed, and the count of the folder
// locks a thread holds.
#include <map>
#include <system_error>

#include "platform/files.h"
#include "platform/lock_count.h"

namespace qm::platform {

bool isTemporaryName(std::string_view name) {
  constexpr std::string_view prefix = ".quillmark-";
  if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) return false;
  for (char c : name.substr(prefix.size()))
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

std::filesystem::path followLinks(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::path at = path;
  // A link whose target is gone names the file it would be; a loop of links
  // stops where it started.
  for (int hop = 0; hop < 40 && std::filesystem::is_symlink(at, ec); ++hop) {
    const std::filesystem::path next = std::filesystem::read_symlink(at, ec);
    if (ec) return path;
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  return at;
}

int& heldLocks(const std::string& key) {
  thread_local std::map<std::string, int> held;
  return held[key];
}

}  // namespace qm::platform
