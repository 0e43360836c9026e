// quillmark-cli archive FILE [PATH]: the list of an archive, or one file of
// it unpacked to standard output.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace qm {

// Lists `archive` as "SIZE<TAB>METHOD<TAB>PATH" lines in its own order, or
// with `inner` writes that file's bytes to `out`. A damaged archive or a
// missing file: a message on `err` and 1.
int RunArchiveCommand(const std::filesystem::path& archive, const std::optional<std::string>& inner,
                      std::ostream& out, std::ostream& err);

}  // namespace qm
