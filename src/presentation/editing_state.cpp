#include "presentation/editing_state.h"

#include "catalogue/game_files.h"
#include "checks/check_set.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "text/text.h"
#include "weapon/field_table.h"

namespace qm {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// "UNIT=AMOUNT" of a damage line as the list shows it or the user typed it:
// blanks and a closing ";" trimmed; nothing for a line without "=".
std::optional<std::pair<std::string, std::string>> damageEntry(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  std::string unit(trim(line.substr(0, eq)));
  std::string_view amount = trim(line.substr(eq + 1));
  if (!amount.empty() && amount.back() == ';') amount = trim(amount.substr(0, amount.size() - 1));
  if (unit.empty()) return std::nullopt;
  return std::pair{std::move(unit), std::string(amount)};
}

std::string joinMessages(const std::vector<Finding>& findings) {
  std::string text;
  for (const Finding& f : findings) text += (text.empty() ? "" : "\n") + f.message;
  return text;
}

}  // namespace

EditingState::EditingState(MainWindowState& window, Host& host) : window_(window), host_(host) {}

std::string EditingState::shownWeapon() const { return window_.weapon().v[slotIndex(fieldByNumber(2).slot)]; }

bool EditingState::canEdit(int slot) const {
  return slot >= 0 && slot < kSlotCount && canEditDamage() && fieldOfSlot(static_cast<Slot>(slot)).isKeyLine();
}

bool EditingState::canEditDamage() const { return !window_.viewingMode() && !shownWeapon().empty(); }

std::vector<edit::Change> EditingState::slotChanges(int slot, const std::string& value) const {
  if (!canEdit(slot) || window_.weapon().v[slot] == value) return {};
  return {{edit::Change::Kind::Set, shownWeapon(), std::string(fieldOfSlot(static_cast<Slot>(slot)).key), value}};
}

std::string EditingState::damageLines() const {
  std::string text;
  for (const std::string& item : window_.weapon().damage)
    if (auto entry = damageEntry(item)) text += entry->first + "=" + entry->second + "\n";
  return text;
}

std::vector<edit::Change> EditingState::damageChanges(const std::string& lines) const {
  std::map<std::string, std::string> before, after;  // by unit in lower case
  std::map<std::string, std::string> spelt;          // the unit as typed
  for (const std::string& item : window_.weapon().damage)
    if (auto entry = damageEntry(item)) before[toLower(entry->first)] = entry->second;
  for (std::string_view rest = lines; !rest.empty();) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    if (auto entry = damageEntry(rest.substr(0, end))) {
      after[toLower(entry->first)] = entry->second;
      spelt[toLower(entry->first)] = entry->first;
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  std::vector<edit::Change> changes;
  const std::string weapon = shownWeapon();
  for (const auto& [unit, amount] : after) {
    const auto old = before.find(unit);
    if (old == before.end() || old->second != amount)
      changes.push_back({edit::Change::Kind::Set, weapon, "damage." + spelt[unit], amount});
  }
  for (const auto& [unit, amount] : before)
    if (!after.count(unit)) changes.push_back({edit::Change::Kind::Remove, weapon, "damage." + unit, {}});
  return changes;
}

edit::Session& EditingState::session() {
  if (!session_) restart();
  return *session_;
}

void EditingState::restart() {
  std::vector<WeaponFilePtr> imports;
  for (const std::string& path : window_.imports())
    if (WeaponFilePtr file = namedWeaponFile(path)) imports.push_back(std::move(file));
  session_ = std::make_unique<edit::Session>(window_.gameDir(), window_.gameFiles().listFiles(window_.allWeaponFiles()),
                                             imports);
  warnings_.clear();
  window_.takeEdits(nullptr);
}

std::optional<edit::Step> EditingState::apply(const std::vector<edit::Change>& changes) {
  if (changes.empty()) return std::nullopt;
  edit::Session& s = session();
  bool setsId = false;
  for (const edit::Change& c : changes) {
    if (c.rules) continue;  // not a weapon's: a unit's
    const std::string key = toLower(c.key);
    setsId = setsId || key == "id";
    listTouched_ = listTouched_ || key == "id" || key == "name";
  }
  if (setsId) {
    // Whether the new ID is free is a question about every weapon of the game.
    GameCheck census(GameCheck::Scope::CensusOnly);
    std::vector<WeaponFilePtr> all = gameWeaponFiles(window_.gameDir());
    for (const std::string& path : window_.imports()) all.push_back(checkFileNamed(path));
    runGameCheck(census, all);
    s.setCensus(census.weapons());
  }
  edit::Applied applied = s.apply(changes);
  stepsDropped_ = stepsDropped_ || !applied.reread.empty();
  if (!applied.step) {
    host_.msgBox(applied.notFound ? std::string(kMsgNotFound) : applied.refusal, Buttons::Ok);
    return std::nullopt;
  }
  // Actual Mode shows a copy in a comment, not the block the edit would
  // change: the user would see one value change and another be written.
  if (applied.step->commentedCopy) {
    s.undo(*applied.step);
    host_.msgBox(*applied.step->commentedCopy, Buttons::Ok);
    return std::nullopt;
  }
  for (const auto& splice : applied.step->splices)
    if (s.fromArchive(splice.file) && toldArchive_.insert(s.target(splice.file)).second)
      host_.msgBox(s.archiveNote(splice.file), Buttons::Ok);
  std::string warning = joinMessages(applied.step->warnings);
  for (const std::string& note : applied.step->notes) warning += (warning.empty() ? "" : "\n") + note;
  for (const edit::Change& c : changes) {
    const edit::KeyName key = edit::splitKey(c.key);
    warnings_[{toLower(c.weapon), key.damage ? "[damage]" : toLower(c.key)}] = warning;
  }
  reshow();
  return std::move(applied.step);
}

void EditingState::undo(const edit::Step& step) {
  session().undo(step);
  reshow();
}

void EditingState::redo(const edit::Step& step) {
  session().redo(step);
  reshow();
}

std::vector<std::pair<std::string, std::string>> EditingState::pendingFiles() const {
  std::vector<std::pair<std::string, std::string>> out;
  if (!session_) return out;
  for (std::size_t f : session_->changedFiles()) {
    std::string path = platform::utf8Of(session_->target(f));
    if (session_->isNew(f)) path += " (new file, from " + session_->source(f).name() + ")";
    out.emplace_back(std::move(path), session_->diff(f));
  }
  return out;
}

bool EditingState::save() {
  if (!unsaved()) return true;
  bool archived = false;
  for (std::size_t f : session_->changedFiles()) archived = archived || session_->fromArchive(f);
  const edit::Saved saved = session_->save();
  const bool rebuild = listTouched_ || archived;
  if (saved.changedOnDisk) {
    offerReload(*saved.changedOnDisk, *saved.refusal);
    return false;
  }
  if (saved.refusal) host_.msgBox(*saved.refusal, Buttons::Ok);
  if (saved.written.empty() && saved.refusal) return false;
  warnings_.clear();
  listTouched_ = false;
  window_.takeEdits(nullptr);
  if (rebuild) window_.rescan();
  reshow();
  return !saved.refusal;
}

bool EditingState::offerReload(std::size_t file, const std::string& why) {
  edit::Session& s = session();
  const std::string name = platform::utf8Of(s.target(file));
  const std::size_t edits = s.changed(file) ? 1 : 0;
  if (edits == 0) {
    // Nothing of the user's is lost: read it again.
    if (auto failed = s.reload(file)) host_.msgBox(*failed, Buttons::Ok);
    stepsDropped_ = true;
    reshow();
    return true;
  }
  const std::string ask = why + "\n\nRead " + name +
                          " again from disk and make your unsaved edits of it again where their lines still match? "
                          "(No: keep your edits, and write them over the file on disk at the next save.)";
  if (host_.msgBox(ask, Buttons::YesNo) == Answer::Yes) {
    const edit::Reloaded r = s.reloadKeepingEdits(file);
    if (r.failed) {
      host_.msgBox(*r.failed, Buttons::Ok);
      return false;
    }
    if (r.dropped > 0)
      host_.msgBox(name + ": " + std::to_string(r.dropped) + " of " + std::to_string(r.dropped + r.made) +
                       " unsaved edits no longer match the file's lines and were dropped",
                   Buttons::Ok);
  } else {
    s.takeDiskAsRead(file);
  }
  stepsDropped_ = true;
  reshow();
  return true;
}

std::vector<std::filesystem::path> EditingState::editedPaths() const {
  std::vector<std::filesystem::path> out;
  if (session_)
    for (std::size_t f : session_->changedFiles()) out.push_back(platform::followLinks(session_->target(f)));
  return out;
}

bool EditingState::fileChangedOnDisk(const std::filesystem::path& path) {
  if (!session_) return false;
  for (std::size_t f : session_->changedFiles())
    if (platform::followLinks(session_->target(f)) == path && session_->changedOnDisk(f))
      return offerReload(f, platform::utf8Of(path) + " changed on disk since Quillmark read it.");
  return false;
}

bool EditingState::confirmAndSave() { return host_.confirmSave(pendingFiles()) && save(); }

bool EditingState::confirmRevert() { return unsaved() && host_.msgBox(kMsgRevert, Buttons::OkCancel) == Answer::Ok; }

EditingState::Settle EditingState::askToSettle() {
  if (!unsaved()) return Settle::Go;
  switch (host_.msgBox(kMsgUnsaved, Buttons::SaveDiscardCancel)) {
    case Answer::Save:
      return Settle::Save;
    case Answer::Discard:
      return Settle::Drop;
    default:
      return Settle::Stay;
  }
}

std::string EditingState::stepName(int slot) {
  if (slot == kSlotCount) return "Change damage";
  return "Set " + std::string(fieldOfSlot(static_cast<Slot>(slot)).key);
}

void EditingState::revert() {
  if (!session_) return;
  session_->revert();
  warnings_.clear();
  listTouched_ = false;
  reshow();
}

void EditingState::reshow() {
  window_.takeEdits(session_.get());
  const std::string name = shownWeapon();
  if (!name.empty()) window_.showWeapon(name);
  host_.changed(EditsChanged);
}

bool EditingState::editedKey(std::string_view key) const {
  if (!session_) return false;
  const std::string name = shownWeapon();
  for (std::size_t f : session_->changedFiles()) {
    const auto blockIn = [&](const std::string& bytes) -> std::string_view {
      const auto place = edit::findBlock(bytes, name);
      return place ? std::string_view(bytes).substr(place->begin, place->end - place->begin) : std::string_view();
    };
    const std::string_view now = blockIn(session_->bytes(f)), then = blockIn(session_->savedBytes(f));
    if (now == then) continue;
    if (key != "[damage]") {
      if (edit::valueOf(now, name, key) != edit::valueOf(then, name, key)) return true;
      continue;
    }
    std::vector<std::string> keys = edit::keysOf(now, name), old = edit::keysOf(then, name);
    keys.insert(keys.end(), old.begin(), old.end());
    for (const std::string& k : keys)
      if (edit::splitKey(k).damage && edit::valueOf(now, name, k) != edit::valueOf(then, name, k)) return true;
  }
  return false;
}

std::string EditingState::warningOf(const std::string& key) const {
  const auto at = warnings_.find({toLower(shownWeapon()), key});
  return at == warnings_.end() ? std::string() : at->second;
}

bool EditingState::edited(int slot) const {
  return canEdit(slot) && editedKey(fieldOfSlot(static_cast<Slot>(slot)).key);
}

bool EditingState::damageEdited() const { return canEditDamage() && editedKey("[damage]"); }

std::string EditingState::warning(int slot) const {
  return edited(slot) ? warningOf(std::string(fieldOfSlot(static_cast<Slot>(slot)).key)) : std::string();
}

std::string EditingState::damageWarning() const { return damageEdited() ? warningOf("[damage]") : std::string(); }

}  // namespace qm
