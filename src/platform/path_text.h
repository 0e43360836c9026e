// Paths as the program shows and stores them: UTF-8 text with '/' between
// folders, the same on every system. On Windows a narrow string becomes a
// path through the ANSI code page, which garbles every name outside it (a
// folder named "Zoë" under another code page, any Greek or Cyrillic name):
// a path turns into a name, and a name into a path, only through these two.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qm::platform {

// The path a UTF-8 name stands for ('/' or the system's separator between
// folders). On Windows text that is not UTF-8 is taken in the ANSI code page,
// as the system takes a narrow name.
std::filesystem::path pathOf(std::string_view utf8);

// The path as UTF-8 with '/' between folders. On Windows a name that is not
// whole UTF-16 gets U+FFFD for each broken part.
std::string utf8Of(const std::filesystem::path& path);

// The program's arguments after its name, in UTF-8. On Windows they are
// read again from the command line as the system holds it (UTF-16), since
// `argv` has them in the ANSI code page.
std::vector<std::string> programArguments(int argc, char** argv);

}  // namespace qm::platform
