#include "checks/finding.h"

#include <tuple>

#include "text/text.h"

namespace qm {

std::string_view severityName(Severity s) { return s == Severity::Error ? "error" : "warning"; }

bool findingBefore(const Finding& a, const Finding& b) {
  if (const int c = compareFolded(a.file, b.file)) return c < 0;
  return std::tie(a.file, a.line, a.column) < std::tie(b.file, b.line, b.column);
}

std::string quoted(std::string_view bytes) {
  constexpr std::size_t kLongest = 40;
  std::string shown(bytes.substr(0, kLongest));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  return '\'' + cp1252ToUtf8(shown) + (bytes.size() > kLongest ? "...'" : "'");
}

}  // namespace qm
