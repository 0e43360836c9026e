// One thing the game checks found in a weapon file.
#pragma once

#include <string>
#include <string_view>

namespace qm {

enum class Severity : unsigned char {
  Warning,  // legal, but likely a mistake
  Error,    // the game will misread it
};

struct Finding {
  std::string file;  // the file's display name
  int line = 0;      // from 1
  int column = 0;    // from 1, in bytes
  Severity severity = Severity::Error;
  std::string_view check;  // short stable name, e.g. "missing-semicolon"
  std::string message;     // UTF-8
};

std::string_view severityName(Severity s);

// Orders findings by file name (letter case folded), then line, then column.
bool findingBefore(const Finding& a, const Finding& b);

// A piece of weapon text for a message: in single quotes, decoded from
// Windows-1252, control bytes shown as blanks, cut short when long.
std::string quoted(std::string_view bytes);

}  // namespace qm
