// Writing an archive's files under a folder: `unpack` on the command line and
// "Extract..." in the archive view.
//
// Every target is worked out and checked before anything is written: a
// member whose path would land outside the folder is refused. The files are
// unpacked on two threads and written in the archive's order, each through a
// temporary file beside its target that takes the target's place only once
// it has reached the disk, so an existing file is never left half written.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive.h"

namespace qm {

// A member's path (Windows-1252) fit for a one-a-line listing or a message:
// UTF-8, with newline, carriage return, tab and backslash written as \n, \r,
// \t and \\.
std::string listedPath(std::string_view path);

struct ExtractTarget {
  const ArchiveMember* member = nullptr;
  std::filesystem::path path;  // where it is written
  bool leaves = false;         // it would land outside the folder: refused
  bool exists = false;         // something stands at `path` already
};

// Where each of `members` goes under `folder`, a folder or file name for
// each part of its path. A member leaves the folder through an empty part,
// "." or "..", a root or a drive, or a symbolic link inside the folder that
// leads out of it.
std::vector<ExtractTarget> extractTargets(const std::vector<const ArchiveMember*>& members,
                                          const std::filesystem::path& folder);

// Unpacks the targets' members (of `archive`, opened from `archivePath`) and
// writes each at its target, making the folders it needs; targets that
// leave are passed over. One message per file not written, in the archive's
// order: "ARCHIVE/PATH: reason; skipped" for a damaged member (`shownArchive`
// names the archive), "TARGET: reason" for one that could not be written.
std::vector<std::string> extractFiles(const Archive& archive, const std::filesystem::path& archivePath,
                                      std::string_view shownArchive, const std::vector<ExtractTarget>& targets);

}  // namespace qm
