#include "catalogue/scan.h"

#include <optional>

#include "catalogue/file_store.h"
#include "platform/parallel.h"
#include "text/lines.h"
#include "text/numbers.h"
#include "weapon/loader.h"

namespace qm {

namespace {

bool isI(char c) { return c == 'i' || c == 'I'; }
bool isD(char c) { return c == 'd' || c == 'D'; }

// The ID text of an id line, if the line is one: the text after "id=" (any
// letter case, at the start of the line or after one tab) up to, not
// including, the line's last character.
bool readIdLine(std::string_view line, std::string_view& idText) {
  std::size_t start;
  if (line.size() >= 3 && isI(line[0]) && isD(line[1]) && line[2] == '=')
    start = 3;
  else if (line.size() >= 4 && line[0] == '\t' && isI(line[1]) && isD(line[2]) && line[3] == '=')
    start = 4;
  else
    return false;
  // A line that ends right after "id=" has nothing to drop: its ID text is empty.
  idText = start < line.size() ? line.substr(start, line.size() - start - 1) : std::string_view();
  return true;
}

// Whether an ID text reads as the number zero. Most ID texts are plain
// digits, which are zero exactly when every digit is; the others go through
// the whole number rule.
bool isZeroId(std::string_view idText) {
  bool digits = !idText.empty(), zeros = true;
  for (char c : idText) {
    digits = digits && c >= '0' && c <= '9';
    zeros = zeros && c == '0';
  }
  return digits ? zeros : readsAsZero(idText);
}

}  // namespace

void FileScan::piece(std::string_view bytes) {
  BufferLines lines(bytes);
  if (waiting_ && !readId(lines)) return;
  std::string_view line;
  // Only lines that begin with "[" can be headers: the others are passed over
  // without being cut.
  while (lines.skipToLineStartingWith('[') && lines.next(line)) {
    if (!isListedHeader(line)) continue;
    name_.assign(bracketNameOf(line));
    // Until an id line says otherwise, the ID text is the number 0.
    idText_ = '0';
    waiting_ = true;
    if (!readId(lines)) return;
  }
}

// Reads lines until one gives the waiting header a non-zero ID text, and
// lists the header; false when the piece ends first.
bool FileScan::readId(BufferLines& lines) {
  std::string_view line, idText;
  while (lines.next(line)) {
    if (!readIdLine(line, idText)) continue;
    if (!isZeroId(idText)) {
      out_.append(idText, name_);
      waiting_ = false;
      return true;
    }
    idText_.assign(idText);
  }
  return false;
}

void FileScan::end() {
  if (waiting_) out_.append(idText_, name_);
  waiting_ = false;
}

void scanFile(std::string_view bytes, WeaponList& out) {
  FileScan scan(out);
  scan.piece(bytes);
  scan.end();
}

ScanOutcome scanFiles(const std::vector<WeaponFilePtr>& files, FileStore* store) {
  if (store) {
    // Each file into a list of its own, put together in order.
    std::vector<WeaponList> lists(files.size());
    std::vector<std::string> reasons(files.size());
    platform::forEachOnThreads(files.size(), [&](std::size_t i, std::size_t) {
      if (std::optional<WeaponList> entries = store->takeEntries(files[i]))
        lists[i] = std::move(*entries);
      else if (const FileStore::Held held = store->hold(files[i], reasons[i]))
        scanFile(held->bytes(), lists[i]);
    });
    ScanOutcome out;
    for (std::size_t i = 0; i < files.size(); ++i) {
      out.entries.add(std::move(lists[i]));
      if (!reasons[i].empty()) out.unreadable.push_back({files[i]->name(), reasons[i]});
    }
    return out;
  }
  // Each file is scanned as it is read; one that fails part way takes back
  // the entries it gave.
  struct Reader {
    WeaponList& list;
    FileScan scan{list};
    std::size_t before = 0;
    void begin() { before = list.size(); }
    void piece(std::string_view bytes) { scan.piece(bytes); }
    void end() { scan.end(); }
    void undo() {
      scan.end();
      list.truncate(before);
    }
  };
  ScanOutcome out;
  Reader reader{out.entries};
  out.unreadable = readEachInPieces(files, reader);
  return out;
}

void readAhead(FileStore& store, const std::vector<WeaponFilePtr>& files) {
  platform::forEachOnThreads(files.size(), [&](std::size_t i, std::size_t) {
    std::string reason;
    const FileStore::Held held = store.hold(files[i], reason);
    if (!held || files[i]->sourceKey().empty()) return;
    WeaponList entries;
    scanFile(held->bytes(), entries);
    store.keepEntries(files[i], held, std::move(entries));
  });
}

LoadOutcome loadWeapon(std::string_view bracketName, const std::vector<WeaponFilePtr>& searchList,
                       CurrentWeapon& weapon, bool& damageCarry) {
  // Each file is searched as it is read; one that fails part way is passed
  // over as if it had not been read at all.
  struct Reader {
    std::string_view name;
    CurrentWeapon& weapon;
    bool& damageCarry;
    std::optional<WeaponSearch> search;
    CurrentWeapon weaponBefore;
    bool carryBefore = false, found = false;
    void begin() {
      search.emplace(name, weapon, damageCarry);
      weaponBefore = weapon;
      carryBefore = damageCarry;
    }
    void piece(std::string_view bytes) { search->piece(bytes); }
    void end() { found = found || search->found(); }
    void undo() {
      weapon = weaponBefore;
      damageCarry = carryBefore;
    }
  };
  Reader reader{bracketName, weapon, damageCarry, {}, {}};
  LoadOutcome out;
  out.unreadable = readEachInPieces(searchList, reader);
  out.found = reader.found;
  return out;
}

}  // namespace qm
