// The walks over the weapon files in search order: the scan that lists their
// weapons, and the load that finds one weapon's blocks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/weapon_file.h"
#include "catalogue/weapon_list.h"
#include "weapon/current_weapon.h"

namespace qm {

class BufferLines;
class FileStore;

// Appends one entry per weapon header of the file, in file order. A header is
// a line that begins with "[" and not with "[DAMAGE]" (letter case exact). Its
// ID text comes from the next id line ("id=" at the start of a line or after
// one tab, in any case) whose text is not zero; every line read while looking
// for it is consumed, other headers included.
void scanFile(std::string_view bytes, WeaponList& out);

// The same scan over a file handed in pieces that each start a line: Piece
// for each in turn, then End when the file has ended.
class FileScan {
 public:
  explicit FileScan(WeaponList& out) : out_(out) {}
  void piece(std::string_view bytes);
  void end();

 private:
  bool readId(BufferLines& lines);

  WeaponList& out_;
  bool waiting_ = false;       // a header was read and its ID text not yet
  std::string name_, idText_;  // of that header; the ID text so far
};

struct ScanOutcome {
  WeaponList entries;
  std::vector<UnreadableFile> unreadable;
};

// Scans the files in order; a file that cannot be read is passed over and
// reported, the others are scanned all the same. With a store, each file is
// held whole through it (and kept there for what comes next), and the files
// are scanned a few at once.
ScanOutcome scanFiles(const std::vector<WeaponFilePtr>& files, FileStore* store = nullptr);

// Reads the files into the store, a few at once, and scans each for its list
// entries while its bytes are fresh in the cache: later holds find the bytes,
// and the first scan of each (scanFiles) its entries. Files that cannot be
// read are left for a later hold to report.
void readAhead(FileStore& store, const std::vector<WeaponFilePtr>& files);

struct LoadOutcome {
  bool found = false;
  std::vector<UnreadableFile> unreadable;
};

// Searches the files in order for the weapon's blocks (SearchFile). Files
// that cannot be read are passed over and reported. The weapon is left as it
// was when no block is found.
LoadOutcome loadWeapon(std::string_view bracketName, const std::vector<WeaponFilePtr>& searchList,
                       CurrentWeapon& weapon, bool& damageCarry);

}  // namespace qm
