#include "presentation/edited_files.h"

#include "edit/session.h"

namespace qm {

void EditedFiles::take(const edit::Session* session) {
  std::vector<File> before = std::move(files_);
  files_.clear();
  const auto earlier = [&](const std::string& name) -> File* {
    for (File& f : before)
      if (f.edited && f.edited->name() == name) return &f;  // one taken over is empty
    return nullptr;
  };
  for (std::size_t f = 0; session && f < session->fileCount(); ++f) {
    if (!session->changed(f)) continue;
    const std::string& name = session->source(f).name();
    const std::string& bytes = session->bytes(f);
    File* was = earlier(name);
    if (was && was->bytes == bytes && was->edited->diskPath() == session->target(f)) {
      files_.push_back(std::move(*was));
      continue;
    }
    files_.push_back({memoryFile(name, bytes, session->target(f)), bytes,
                      was && *was->saved == session->savedBytes(f)
                          ? was->saved
                          : std::make_shared<const std::string>(session->savedBytes(f))});
  }
  byName_.clear();
  byPath_.clear();
  for (std::size_t i = 0; i < files_.size(); ++i) {
    byName_.emplace(files_[i].edited->name(), i);
    if (const auto& path = files_[i].edited->diskPath(); !path.empty()) byPath_.emplace(path.native(), i);
  }
}

const EditedFiles::File* EditedFiles::find(const WeaponFile& file) const {
  if (files_.empty()) return nullptr;
  if (const auto at = byName_.find(file.name()); at != byName_.end()) return &files_[at->second];
  if (const auto path = file.diskPath(); !path.empty())
    if (const auto at = byPath_.find(path.native()); at != byPath_.end()) return &files_[at->second];
  return nullptr;
}

const WeaponFilePtr& EditedFiles::over(const WeaponFilePtr& file) const {
  const File* edited = find(*file);
  return edited ? edited->edited : file;
}

WeaponFilePtr EditedFiles::copyOf(const WeaponFile& file) const {
  const File* edited = find(file);
  return edited ? edited->edited : nullptr;
}

std::vector<WeaponFilePtr> EditedFiles::over(std::vector<WeaponFilePtr> files) const {
  for (WeaponFilePtr& file : files) file = over(file);
  return files;
}

std::shared_ptr<const std::string> EditedFiles::saved(std::string_view name) const {
  const auto at = byName_.find(std::string(name));
  return at == byName_.end() ? nullptr : files_[at->second].saved;
}

}  // namespace qm
