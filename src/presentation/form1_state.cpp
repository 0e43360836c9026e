#include "presentation/form1_state.h"

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

Form1State::Form1State(std::filesystem::path gameDir, Host& host) : gameDir_(std::move(gameDir)), host_(host) {}

// --- Events -------------------------------------------------------------

void Form1State::Form_Load() { ResetW(); }

void Form1State::Combo1_Click(int index) { LoadWeap(index); }

void Form1State::OptionClick(bool option1Selected) {
  if (option1Selected) VMode = true;
  if (!option1Selected) VMode = false;
  ShowWeapon();
  host_.Changed(kModeChanged);
}

void Form1State::HelpClick(int field) { DDesc(field); }

void Form1State::Label145_Click() {
  Label145 = kLabel145Text;
  host_.Changed(kLabel145Changed);
}

void Form1State::Command62_Click() {
  const auto path = host_.ShowOpen(cd1Path);
  if (!path) return;
  cd1Path = *path;
  ImportFile(*path);
}

// --- Procedures ---------------------------------------------------------

std::vector<WeaponFilePtr> Form1State::SearchList() const {
  std::vector<WeaponFilePtr> files = StandardFiles(gameDir_);
  for (int k = 0; k < IWeaps; ++k) files.push_back(looseFile(IWeap[k]));
  return files;
}

void Form1State::ResetW() {
  ScanOutcome scan = ScanFiles(StandardFiles(gameDir_));
  Combo1.Clear();
  WNum = static_cast<long>(scan.entries.size());
  Combo1.Add(std::move(scan.entries));
  SetCountLine();
  VMode = true;
  ShowWeapon();
  host_.Changed(kListChanged | kModeChanged);
  if (!scan.unreadable.empty()) host_.ReportUnreadable(scan.unreadable);
}

std::string Form1State::GetName(int IDN) const { return Combo1.at(static_cast<std::size_t>(IDN)).name; }

void Form1State::LoadWeap(int IDNum) {
  if (IDNum < 0 || static_cast<std::size_t>(IDNum) >= Combo1.size()) return;
  LoadWeapByName(GetName(IDNum));
}

bool Form1State::LoadWeapByName(std::string_view name) {
  // Files that cannot be read were named when the list was built; a search
  // passes over them.
  const LoadOutcome outcome = LoadWeapon(name, SearchList(), weapon, DCheck);
  if (!outcome.found) host_.MsgBox(kMsgNotFound, Buttons::Ok);
  ShowWeapon();
  host_.Changed(kDamageChanged);
  return outcome.found;
}

void Form1State::DDesc(int IDNum) {
  const auto d = qm::DDesc(IDNum);
  if (!d) return;
  Label138 = d->key;
  Label139 = d->text;
  host_.Changed(kDescriptionChanged);
}

bool Form1State::ImportFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    SetCountLine();
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

  if (IWeaps == kExtraSlots) {
    if (host_.MsgBox(kMsgSlotsFull, Buttons::OkCancel) != Answer::Ok) return false;
    ResetW();
    for (auto& slot : IWeap) slot.clear();
    IWeaps = 0;
  }
  IWeap[IWeaps++] = path;

  WNum += static_cast<long>(entries.size());
  Combo1.Add(std::move(entries));
  SetCountLine();
  host_.Changed(kListChanged);
  return true;
}

void Form1State::ShowWeapon() {
  valueTexts = MVals(VMode, weapon);
  captionTexts = MSwap(VMode);
  host_.Changed(kValuesChanged | kCaptionsChanged);
}

void Form1State::SetCountLine() {
  Label1 = CountLine(WNum);
  host_.Changed(kCountLineChanged);
}

}  // namespace qm
