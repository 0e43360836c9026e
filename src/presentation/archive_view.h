// The archive view of the import: every file of an archive, its weapon files
// first, to import one weapon file or to extract the selected files into a
// folder.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "presentation/host.h"

namespace qm {

class ArchiveView {
 public:
  // `path` is the archive's path as chosen (UTF-8); questions and reports go
  // to `host`.
  ArchiveView(std::string path, std::shared_ptr<const Archive> archive, Host& host);

  const std::string& path() const { return path_; }
  // Its weapon files (paths inside it, Windows-1252), weapons/ first: the
  // first rows, in this order.
  const std::vector<std::string>& weaponFiles() const { return weaponFiles_; }

  struct Row {
    std::string file;  // its path inside the archive (UTF-8)
    std::string size;  // in bytes
    std::string method;
  };
  // One row per file of the archive.
  const std::vector<Row>& rows() const { return rows_; }

  // "Extract...": asks for a folder, then writes the files of `rows` under it
  // by their paths in the archive. Refuses them all when one would land
  // outside the folder; asks before replacing files that exist; says what
  // was written and what was not.
  void extract(const std::vector<std::size_t>& rows);

 private:
  std::string path_;
  std::shared_ptr<const Archive> archive_;
  Host& host_;
  std::vector<std::string> weaponFiles_;
  std::vector<const ArchiveMember*> members_;  // by row
  std::vector<Row> rows_;
  std::filesystem::path lastFolder_;
};

// What extract says when all `count` files were written to `folder`, and
// the question before it replaces files.
std::string extractedMessage(std::size_t count, const std::string& folder);
std::string replaceQuestion(const std::vector<std::string>& existing);

}  // namespace qm
