#include "presentation/main_window_state.h"

#include <system_error>

#include "catalogue/game_files.h"
#include "catalogue/scan.h"
#include "presentation/descriptions.h"
#include "presentation/values.h"
#include "weapon/loader.h"

namespace qm {

namespace {

std::vector<WeaponFilePtr> StandardFiles(const std::filesystem::path& gameDir) {
  std::vector<WeaponFilePtr> files;
  for (auto& path : StandardFilePaths(gameDir)) files.push_back(looseFile(std::move(path)));
  return files;
}

}  // namespace

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

std::vector<WeaponFilePtr> MainWindowState::searchList() const {
  std::vector<WeaponFilePtr> files = StandardFiles(gameDir_);
  for (const std::string& path : imports_) files.push_back(looseFile(path));
  return files;
}

const std::string& MainWindowState::entryName(int index) const {
  return weaponList_.at(static_cast<std::size_t>(index)).name;
}

void MainWindowState::rebuildList() {
  ScanOutcome scan = ScanFiles(StandardFiles(gameDir_));
  weaponList_.Clear();
  weaponList_.Add(std::move(scan.entries));
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
  addImport(*path);
}

bool MainWindowState::addImport(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    updateCountLine();
    return false;
  }
  // The file is read whole before anything changes, so a file that cannot
  // be read to its end takes no slot and adds nothing.
  std::vector<ListEntry> entries;
  const auto unreadable = ReadEach({looseFile(path)}, [&entries](std::string_view bytes) { ScanFile(bytes, entries); });
  if (!unreadable.empty()) {
    host_.ReportUnreadable(unreadable);
    return false;
  }

  if (imports_.size() == kImportSlots) {
    if (host_.MsgBox(kMsgSlotsFull, Buttons::OkCancel) != Answer::Ok) return false;
    rebuildList();
    imports_.clear();
  }
  imports_.push_back(path);

  weaponList_.Add(std::move(entries));
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
