#include "presentation/pack_changes_state.h"

#include <algorithm>
#include <system_error>

#include "platform/path_text.h"
#include "text/text.h"

namespace qm {

namespace fs = std::filesystem;

namespace {

bool isArchiveName(const fs::path& name) {
  std::string ext = platform::utf8Of(name.extension());
  for (char& c : ext) c = foldLower(c);
  return std::any_of(std::begin(kArchiveExtensions), std::end(kArchiveExtensions),
                     [&](std::string_view e) { return ext == e; });
}

bool sameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec) && !ec;
}

}  // namespace

std::unique_ptr<PackChangesState> PackChangesState::start(std::filesystem::path gameDir, Host& host) {
  auto pack = std::make_unique<PackChangesState>(std::move(gameDir));
  if (pack->overrides().empty()) {
    host.msgBox(kMsgNoOverrides, Buttons::Ok);
    return nullptr;
  }
  if (!pack->chooseArchive(host)) return nullptr;
  return pack;
}

PackChangesState::PackChangesState(fs::path gameDir) : gameDir_(std::move(gameDir)) {
  files_.emplace(gameDir_);
  overrides_ = gameOverrides(*files_);
}

bool PackChangesState::chooseArchive(Host& host) {
  const fs::path start = gameDir_ / platform::pathOf(kPackSuggestedName);
  for (;;) {
    const std::optional<fs::path> chosen = host.showSave(start, archiveFilter());
    if (!chosen || chosen->empty()) return false;
    fs::path path = *chosen;
    if (!isArchiveName(path)) path += ".ufo";
    if (!sameFolder(path.parent_path(), gameDir_)) {
      host.msgBox(platform::utf8Of(path) + ": the game reads archives only from its own folder, " +
                      platform::utf8Of(gameDir_) + ".",
                  Buttons::Ok);
      continue;
    }
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec)) &&
        host.msgBox(platform::utf8Of(path) + " exists. Replace it?", Buttons::YesNo) != Answer::Yes)
      continue;
    archive_ = std::move(path);
    return true;
  }
}

std::vector<PackChangesState::Row> PackChangesState::rows() const {
  const std::string name = platform::utf8Of(archive_.filename());
  std::vector<Row> out;
  for (const Override& o : overrides_) {
    std::string from = readFrom(*files_, o.inner, name);
    const bool fromNew = from == name;
    out.push_back({cp1252ToUtf8(o.inner), std::move(from), fromNew});
  }
  return out;
}

PackOutcome PackChangesState::pack(const PackProgress& progress) {
  std::vector<PackInput> inputs;
  for (const Override& o : overrides_) inputs.push_back({o.inner, o.loose, std::nullopt});
  return packArchive(archive_, std::move(inputs), PackOptions{}, progress);
}

bool PackChangesState::packAndTell(Host& host, const PackProgress& progress) {
  const PackOutcome outcome = pack(progress);
  if (outcome.cancelled) return false;
  if (outcome.failure) {
    host.msgBox(platform::utf8Of(archive_) + ": " + *outcome.failure + "; nothing written", Buttons::Ok);
    return false;
  }
  if (host.msgBox(backupQuestion(overrides_.size()), Buttons::YesNo) == Answer::Yes)
    if (const std::string failures = moveToBackup(); !failures.empty()) host.msgBox(failures, Buttons::Ok);
  return true;
}

std::string PackChangesState::moveToBackup() {
  const fs::path backup = gameDir_ / platform::pathOf(kBackupFolder);
  std::string failures;
  for (const Override& o : overrides_) {
    const fs::path target = backup / o.loose.lexically_relative(gameDir_);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) {
      failures += platform::utf8Of(target) + ": exists; " + platform::utf8Of(o.loose) + " stays\n";
      continue;
    }
    fs::create_directories(target.parent_path(), ec);
    if (!ec) fs::rename(o.loose, target, ec);
    if (ec) failures += platform::utf8Of(o.loose) + ": " + ec.message() + "; it stays\n";
  }
  return failures;
}

std::string backupQuestion(std::size_t count) {
  return "The archive is written. Move the " + std::to_string(count) + " loose files into the folder \"" +
         std::string(kBackupFolder) + "\" of the game folder, so that the game reads the packed copies?";
}

}  // namespace qm
