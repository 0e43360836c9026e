#include "presentation/main_window_state.h"

#include "catalogue/game_files.h"
#include "catalogue/scan.h"
#include "presentation/descriptions.h"
#include "presentation/values.h"

namespace qm {

std::string UnreadableFilesMessage(const std::vector<UnreadableFile>& files) {
  std::string text = files.size() == 1 ? "This weapon file could not be read:\n"
                                       : "These weapon files could not be read:\n";
  for (const auto& f : files) text += "\n" + f.name + ": " + f.reason;
  text += "\n\nThe weapons of the other files are listed.";
  return text;
}

void Host::ReportUnreadable(const std::vector<UnreadableFile>& files) {
  MsgBox(UnreadableFilesMessage(files), Buttons::Ok);
}

MainWindowState::MainWindowState(std::filesystem::path gameDir, Host& host)
    : gameDir_(std::move(gameDir)), host_(host) {}

const GameFiles& MainWindowState::gameFiles() const {
  if (!gameFiles_) gameFiles_ = std::make_shared<const GameFiles>(gameDir_);
  return *gameFiles_;
}

std::vector<WeaponFilePtr> MainWindowState::searchList() const {
  std::vector<WeaponFilePtr> files = gameFiles().StandardFiles();
  for (const std::string& name : imports_) {
    WeaponFilePtr file = namedWeaponFile(name);
    files.push_back(file ? file : looseFile(name));
  }
  return files;
}

std::string_view MainWindowState::entryName(int index) const {
  return weaponList_.at(static_cast<std::size_t>(index)).name;
}

void MainWindowState::rebuildList() {
  // The game folder is looked at afresh: its archives may have changed. A
  // damaged archive is named in the same message as unreadable files.
  gameFiles_ = std::make_shared<const GameFiles>(gameDir_);
  ScanOutcome scan = ScanFiles(gameFiles_->StandardFiles());
  scan.unreadable.insert(scan.unreadable.begin(), gameFiles_->damagedArchives().begin(),
                         gameFiles_->damagedArchives().end());
  weaponList_ = std::move(scan.entries);
  updateCountLine();
  viewingMode_ = true;
  showValues();
  host_.Changed(kListChanged);
  if (!scan.unreadable.empty()) host_.ReportUnreadable(scan.unreadable);
}

void MainWindowState::showListEntry(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= weaponList_.size()) return;
  showWeapon(entryName(index));
}

bool MainWindowState::showWeapon(std::string_view name) {
  // Files that cannot be read were named when the list was built; a search
  // passes over them.
  const LoadOutcome outcome = LoadWeapon(name, searchList(), weapon_, damageCarry_);
  if (!outcome.found) host_.MsgBox(kMsgNotFound, Buttons::Ok);
  showValues();
  host_.Changed(kDamageChanged);
  return outcome.found;
}

void MainWindowState::showFound(CurrentWeapon weapon, bool damageCarry) {
  weapon_ = std::move(weapon);
  damageCarry_ = damageCarry;
  showValues();
  host_.Changed(kDamageChanged);
}

void MainWindowState::setViewingMode(bool viewing) {
  viewingMode_ = viewing;
  showValues();
}

void MainWindowState::describeField(int field) {
  const auto d = FieldDescription(field);
  if (!d) return;
  descriptionKey_ = d->key;
  descriptionText_ = d->text;
  host_.Changed(kDescriptionChanged);
}

void MainWindowState::importFile() {
  const auto path = host_.ShowOpen(lastPath_);
  if (!path) return;
  lastPath_ = *path;
  if (!isArchiveName(*path)) {
    addImport(*path);
    return;
  }
  // An archive: one of its weapon files is picked, and imported under the
  // name ARCHIVE/inner/path.
  std::string reason;
  const auto archive = Archive::Open(std::filesystem::path(*path), reason);
  if (!archive) {
    host_.ReportUnreadable({{*path, reason}});
    return;
  }
  const std::vector<std::string> files = weaponFilesIn(*archive);
  if (files.empty()) {
    host_.MsgBox(kMsgNoWeaponFiles, Buttons::Ok);
    return;
  }
  const auto pick = host_.PickFromArchive(*path, files);
  if (pick && *pick < files.size()) addImport(*path + "/" + files[*pick]);
}

bool MainWindowState::addImport(const std::string& path) {
  // A path on disk, or an archive's path followed by a path inside it.
  const WeaponFilePtr file = namedWeaponFile(path);
  if (!file) {
    updateCountLine();
    return false;
  }
  // The file is read whole before anything changes, so a file that cannot
  // be read to its end takes no slot and adds nothing.
  ScanOutcome scan = ScanFiles({file});
  if (!scan.unreadable.empty()) {
    host_.ReportUnreadable(scan.unreadable);
    return false;
  }

  if (imports_.size() == kImportSlots) {
    if (host_.MsgBox(kMsgSlotsFull, Buttons::OkCancel) != Answer::Ok) return false;
    rebuildList();
    imports_.clear();
  }
  imports_.push_back(path);

  weaponList_.Add(std::move(scan.entries));
  updateCountLine();
  host_.Changed(kListChanged);
  return true;
}

void MainWindowState::clickSpace() {
  spaceText_ = kSpaceText;
  host_.Changed(kSpaceTextChanged);
}

void MainWindowState::showValues() {
  valueTexts_ = ValueTexts(viewingMode_, weapon_);
  captionTexts_ = CaptionTexts(viewingMode_);
  host_.Changed(kValuesChanged | kCaptionsChanged);
}

void MainWindowState::updateCountLine() {
  countLine_ = CountLine(static_cast<long>(weaponList_.size()));
  host_.Changed(kCountLineChanged);
}

}  // namespace qm
