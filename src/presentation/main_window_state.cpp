#include "presentation/main_window_state.h"

#include <algorithm>
#include <optional>

#include "catalogue/file_store.h"
#include "catalogue/game_files.h"
#include "catalogue/scan.h"
#include "platform/files.h"
#include "platform/parallel.h"
#include "platform/path_text.h"
#include "presentation/archive_view.h"
#include "presentation/descriptions.h"
#include "presentation/values.h"
#include "text/text.h"

namespace qm {

std::string unreadableFilesMessage(const std::vector<UnreadableFile>& files) {
  std::string text =
      files.size() == 1 ? "This weapon file could not be read:\n" : "These weapon files could not be read:\n";
  for (const auto& f : files) text += "\n" + f.name + ": " + f.reason;
  text += "\n\nThe weapons of the other files are listed.";
  return text;
}

std::string gameRelativeName(const std::filesystem::path& gameDir, const std::string& name) {
  std::string dir = platform::utf8Of(gameDir);
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  const bool inside = name.size() > dir.size() + 1 && name.compare(0, dir.size(), dir) == 0 &&
                      (name[dir.size()] == '/' || name[dir.size()] == '\\');
  return inside ? name.substr(dir.size() + 1) : name;
}

std::string importNote(std::size_t weapons, const std::string& name, std::size_t slot) {
  return std::to_string(weapons) + (weapons == 1 ? " weapon" : " weapons") + " added from " + name + " (import " +
         std::to_string(slot) + " of " + std::to_string(kImportSlots) + ")";
}

std::string importFailureMessage(const std::vector<UnreadableFile>& files) {
  std::string text = "This file could not be imported:\n";
  for (const auto& f : files) text += "\n" + f.name + ": " + f.reason;
  return text + "\n\nIt takes no import slot; the weapon list is as it was.";
}

void Host::reportUnreadable(const std::vector<UnreadableFile>& files) {
  msgBox(unreadableFilesMessage(files), Buttons::Ok);
}

void Host::reportImportFailure(const std::vector<UnreadableFile>& files) {
  msgBox(importFailureMessage(files), Buttons::Ok);
}

bool Host::confirmSave(const std::vector<std::pair<std::string, std::string>>& files) {
  std::string text = "Save the changes to these files?\n";
  for (const auto& [path, diff] : files) text += "\n" + path;
  for (const auto& [path, diff] : files) text += "\n\n" + diff;
  return msgBox(text, Buttons::OkCancel) == Answer::Ok;
}

std::string dialogFilter(std::string_view filter) {
  std::vector<std::string_view> parts;
  for (std::size_t from = 0;;) {
    const std::size_t bar = filter.find('|', from);
    parts.push_back(filter.substr(from, bar == std::string_view::npos ? std::string_view::npos : bar - from));
    if (bar == std::string_view::npos) break;
    from = bar + 1;
  }
  std::string out;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    const std::string_view description = trimBlanks(parts[i].substr(0, parts[i].find('(')));
    std::string patterns(parts[i + 1]);
    std::replace(patterns.begin(), patterns.end(), ';', ' ');
    out += (out.empty() ? "" : ";;") + std::string(description) + " (" + std::string(trimBlanks(patterns)) + ")";
  }
  return out;
}

MainWindowState::MainWindowState(std::filesystem::path gameDir, Host& host)
    : gameDir_(std::move(gameDir)), host_(host) {}

const GameFiles& MainWindowState::gameFiles() const {
  if (!gameFiles_) gameFiles_ = std::make_shared<const GameFiles>(gameDir_);
  return *gameFiles_;
}

std::vector<WeaponFilePtr> MainWindowState::searchList() const {
  std::vector<WeaponFilePtr> files = gameFiles().listFiles(allWeaponFiles_);
  files.insert(files.end(), importFiles_.begin(), importFiles_.end());
  return edited_.over(std::move(files));
}

int MainWindowState::entryOfText(std::string_view text) const {
  const auto& entries = weaponList_.entries();
  const auto at = std::find_if(entries.begin(), entries.end(), [&](const ListEntry& e) { return e.text == text; });
  return at == entries.end() ? -1 : static_cast<int>(at - entries.begin());
}

std::filesystem::path dialogStart(const std::filesystem::path& last, const std::filesystem::path& gameDir) {
  if (last.empty()) return last;
  const std::filesystem::path folder = last.parent_path();
  return platform::isOrdinaryFolder(folder.empty() ? "." : folder) ? last : gameDir;
}

std::string_view MainWindowState::entryName(int index) const {
  return weaponList_.at(static_cast<std::size_t>(index)).name;
}

void MainWindowState::setAllWeaponFiles(bool all) { allWeaponFiles_ = all; }

void MainWindowState::rebuildList() {
  // The game folder is looked at afresh: its archives may have changed. A
  // damaged archive is named in the same message as unreadable files.
  gameFiles_ = std::make_shared<const GameFiles>(gameDir_);
  ScanOutcome scan = scanFiles(gameFiles_->listFiles(allWeaponFiles_), store_.get());
  scan.unreadable.insert(scan.unreadable.begin(), gameFiles_->damagedArchives().begin(),
                         gameFiles_->damagedArchives().end());
  weaponList_ = std::move(scan.entries);
  updateCountLine();
  viewingMode_ = true;
  showValues();
  host_.changed(ListChanged);
  if (!scan.unreadable.empty()) host_.reportUnreadable(scan.unreadable);
}

void MainWindowState::showListEntry(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= weaponList_.size()) return;
  showWeapon(entryName(index));
}

bool MainWindowState::showWeapon(std::string_view name) {
  // Files that cannot be read were named when the list was built; a search
  // passes over them.
  const LoadOutcome outcome = loadWeapon(name, searchList(), weapon_, damageCarry_);
  if (!outcome.found) host_.msgBox(kMsgNotFound, Buttons::Ok);
  showValues();
  host_.changed(DamageChanged);
  return outcome.found;
}

void MainWindowState::showFound(CurrentWeapon weapon, bool damageCarry) {
  weapon_ = std::move(weapon);
  damageCarry_ = damageCarry;
  showValues();
  host_.changed(DamageChanged);
}

void MainWindowState::setViewingMode(bool viewing) {
  viewingMode_ = viewing;
  showValues();
}

void MainWindowState::describeField(int field) {
  const auto d = fieldDescription(field);
  if (!d) return;
  descriptionKey_ = d->key;
  descriptionText_ = d->text;
  host_.changed(DescriptionChanged);
}

void MainWindowState::importFile() {
  const auto path = host_.showOpen(lastPath_);
  if (!path) return;
  lastPath_ = *path;
  const std::string name = platform::utf8Of(*path);
  if (!isArchiveName(name)) {
    addImport(name);
    return;
  }
  // An archive: one of its weapon files is picked, and imported under the
  // name ARCHIVE/inner/path.
  std::string reason;
  const auto archive = Archive::open(*path, reason);
  if (!archive) {
    host_.reportImportFailure({{name, reason}});
    return;
  }
  ArchiveView view(name, archive, host_);
  const std::vector<std::string>& files = view.weaponFiles();
  if (files.empty()) {
    host_.msgBox(kMsgNoWeaponFiles, Buttons::Ok);
    return;
  }
  const auto pick = host_.pickFromArchive(view);
  if (pick && *pick < files.size()) addImport(name + "/" + files[*pick]);
}

bool MainWindowState::addImport(const std::string& path) {
  // A path on disk, or an archive's path followed by a path inside it.
  return addImportFile(path, namedWeaponFile(path), nullptr);
}

void MainWindowState::addImports(const std::vector<std::string>& paths) {
  std::vector<WeaponFilePtr> files;
  for (const std::string& path : paths) files.push_back(namedWeaponFile(path));
  // Held in the store, the files are scanned side by side first.
  std::vector<std::optional<ScanOutcome>> scans(paths.size());
  if (store_)
    platform::forEachOnThreads(paths.size(), [&](std::size_t i, std::size_t) {
      if (files[i]) scans[i] = scanFiles({files[i]}, store_.get());
    });
  for (std::size_t i = 0; i < paths.size(); ++i) addImportFile(paths[i], files[i], scans[i] ? &*scans[i] : nullptr);
}

void MainWindowState::readAhead(const std::vector<std::string>& importPaths) {
  if (!store_) return;
  // Files on disk only, found without opening the game's archives: the
  // list's rebuild opens them, and an archive's members are known by the
  // archive as that look at the folder opened it, so members read here would
  // be unpacked twice. A standard file that is not loose is not read.
  std::vector<WeaponFilePtr> files;
  for (const std::filesystem::path& path : standardFilePaths(gameDir_)) files.push_back(looseFile(path));
  for (const std::string& path : importPaths)
    if (WeaponFilePtr file = namedWeaponFile(path); file && !file->diskPath().empty()) files.push_back(std::move(file));
  qm::readAhead(*store_, files);
}

bool MainWindowState::addImportFile(const std::string& path, const WeaponFilePtr& file, ScanOutcome* scanned) {
  if (!file) {
    updateCountLine();
    return false;
  }
  // The file is read whole before anything changes, so a file that cannot
  // be read to its end takes no slot and adds nothing.
  ScanOutcome scan = scanned ? std::move(*scanned) : scanFiles({file}, store_.get());
  if (!scan.unreadable.empty()) {
    host_.reportImportFailure(scan.unreadable);
    return false;
  }

  if (imports_.size() == kImportSlots) {
    if (host_.msgBox(kMsgSlotsFull, Buttons::OkCancel) != Answer::Ok) return false;
    rebuildList();
    imports_.clear();
    importFiles_.clear();
  }
  imports_.push_back(path);
  importFiles_.push_back(file);

  // A file of an archive is named by the archive's path (UTF-8) and its own
  // inner path (Windows-1252).
  const std::size_t inner = std::min(file->innerPath().size(), path.size());
  importNote_ = qm::importNote(scan.entries.size(),
                               gameRelativeName(gameDir_, path.substr(0, path.size() - inner)) +
                                   cp1252ToUtf8(std::string_view(path).substr(path.size() - inner)),
                               imports_.size());
  weaponList_.add(std::move(scan.entries));
  updateCountLine();
  host_.changed(ListChanged);
  return true;
}

void MainWindowState::clickSpace() {
  spaceText_ = kSpaceText;
  host_.changed(SpaceTextChanged);
}

void MainWindowState::rescan() {
  gameFiles_ = std::make_shared<const GameFiles>(gameDir_);
  std::vector<WeaponFilePtr> files = gameFiles_->listFiles(allWeaponFiles_);
  importFiles_.clear();
  for (const std::string& name : imports_) {
    WeaponFilePtr file = namedWeaponFile(name);
    if (file) files.push_back(file);
    importFiles_.push_back(file ? file : looseFile(platform::pathOf(name)));
  }
  ScanOutcome scan = scanFiles(files, store_.get());
  weaponList_.clear();
  weaponList_.add(std::move(scan.entries));
  updateCountLine();
  host_.changed(ListChanged);
}

int MainWindowState::checkedWeaponEntry(const std::string& name, const std::string& file) {
  const auto find = [this, &name] {
    const auto& entries = weaponList_.entries();
    auto at = std::find_if(entries.begin(), entries.end(), [&](const ListEntry& e) { return e.name == name; });
    if (at == entries.end())
      at = std::find_if(entries.begin(), entries.end(),
                        [&](const ListEntry& e) { return compareFolded(e.name, name) == 0; });
    return at == entries.end() ? -1 : static_cast<int>(at - entries.begin());
  };
  if (const int index = find(); index >= 0) return index;

  const std::string shown = gameRelativeName(gameDir_, file);
  const std::vector<WeaponFilePtr> read = searchList();
  if (std::any_of(read.begin(), read.end(), [&](const WeaponFilePtr& f) { return f->name() == file; }) ||
      std::find(imports_.begin(), imports_.end(), file) != imports_.end()) {
    host_.msgBox("The weapon list has no weapon " + cp1252ToUtf8(name) + ": it reads " + shown +
                     ", but not this weapon's header as the game does. The findings of that file say why.",
                 Buttons::Ok);
    return -1;
  }
  const std::string why = cp1252ToUtf8(name) + " is in " + shown +
                          ", which the weapon list does not read: the list holds the eight standard weapon files "
                          "and the imported ones.";
  if (imports_.size() == kImportSlots) {
    host_.msgBox(why + "\n\nAll 15 import slots are taken.", Buttons::Ok);
    return -1;
  }
  if (host_.msgBox(why + "\n\nImport " + shown + "?", Buttons::YesNo) != Answer::Yes || !addImport(file)) return -1;
  return find();
}

void MainWindowState::showValues() {
  valueTexts_ = qm::valueTexts(viewingMode_, weapon_);
  captionTexts_ = qm::captionTexts(viewingMode_);
  host_.changed(ValuesChanged | CaptionsChanged);
}

void MainWindowState::updateCountLine() {
  countLine_ = qm::countLine(static_cast<long>(weaponList_.size()));
  host_.changed(CountLineChanged);
}

}  // namespace qm
