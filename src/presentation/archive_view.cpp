#include "presentation/archive_view.h"

#include <filesystem>
#include <unordered_map>

#include "archive/extract.h"
#include "catalogue/game_files.h"
#include "platform/path_text.h"
#include "text/text.h"

namespace qm {

namespace {

namespace fs = std::filesystem;

// A list in a message names at most this many files.
constexpr std::size_t kMostListed = 10;

std::string shown(const fs::path& path) { return platform::utf8Of(path); }

std::string files(std::size_t n) { return std::to_string(n) + (n == 1 ? " file" : " files"); }

// The lines given, at most kMostListed of them, and how many more there are.
std::string listed(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size() && i < kMostListed; ++i) out += lines[i] + '\n';
  if (lines.size() > kMostListed) out += "and " + std::to_string(lines.size() - kMostListed) + " more\n";
  return out;
}

}  // namespace

std::string extractedMessage(std::size_t count, const std::string& folder) {
  return "Extracted " + files(count) + " to " + folder + ".";
}

std::string replaceQuestion(const std::vector<std::string>& existing) {
  return (existing.size() == 1 ? "This file exists:\n" : "These files exist:\n") + listed(existing) +
         (existing.size() == 1 ? "Replace it?" : "Replace them?");
}

ArchiveView::ArchiveView(std::string path, std::shared_ptr<const Archive> archive, Host& host)
    : path_(std::move(path)), archive_(std::move(archive)), host_(host), weaponFiles_(weaponFilesIn(*archive_)) {
  // The weapon files first, as weaponFilesIn orders them; then the rest in
  // the archive's order.
  std::unordered_map<std::string, std::vector<const ArchiveMember*>> byPath;
  for (auto it = archive_->members().rbegin(); it != archive_->members().rend(); ++it) byPath[it->path].push_back(&*it);
  for (const std::string& file : weaponFiles_) {
    members_.push_back(byPath[file].back());
    byPath[file].pop_back();
  }
  std::unordered_map<const ArchiveMember*, bool> listed;
  for (const ArchiveMember* m : members_) listed[m] = true;
  for (const ArchiveMember& m : archive_->members())
    if (!listed.count(&m)) members_.push_back(&m);
  for (const ArchiveMember* m : members_)
    rows_.push_back({cp1252ToUtf8(m->path), std::to_string(m->size), std::string(methodName(m->method))});
}

void ArchiveView::extract(const std::vector<std::size_t>& rows) {
  std::vector<const ArchiveMember*> chosen;
  for (std::size_t row : rows)
    if (row < members_.size()) chosen.push_back(members_[row]);
  if (chosen.empty()) return;
  const std::optional<fs::path> chosenFolder =
      host_.chooseFolder(lastFolder_.empty() ? platform::pathOf(path_).parent_path() : lastFolder_);
  if (!chosenFolder || chosenFolder->empty()) return;
  lastFolder_ = *chosenFolder;
  const fs::path folder = *chosenFolder;
  const std::optional<std::string> picked = shown(folder);
  const std::vector<ExtractTarget> targets = extractTargets(chosen, folder);
  std::vector<std::string> leaving, existing;
  for (const ExtractTarget& t : targets)
    if (t.leaves)
      leaving.push_back(listedPath(t.member->path));
    else if (t.exists)
      existing.push_back(shown(t.path));
  if (!leaving.empty()) {
    host_.msgBox(
        (leaving.size() == 1 ? "This file would be written outside " : "These files would be written outside ") +
            *picked + ":\n" + listed(leaving) + "Nothing was extracted.",
        Buttons::Ok);
    return;
  }
  if (!existing.empty() && host_.msgBox(replaceQuestion(existing), Buttons::YesNo) != Answer::Yes) return;
  const std::vector<std::string> failures =
      extractFiles(*archive_, platform::pathOf(path_), shown(platform::pathOf(path_).filename()), targets);
  if (failures.empty()) {
    host_.msgBox(extractedMessage(targets.size(), *picked), Buttons::Ok);
    return;
  }
  host_.msgBox("Extracted " + std::to_string(targets.size() - failures.size()) + " of " + files(targets.size()) +
                   " to " + *picked + "; not written:\n" + listed(failures),
               Buttons::Ok);
}

}  // namespace qm
