// Changing a weapon's values in the bytes of its file, and nothing else:
// only the value between a key's "=" and its ";" is replaced; a key the block
// lacks gets a line of its own shaped like its neighbours; every other byte
// (comments, blank lines, order, letter case, line ends) stays as it was.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::edit {

class BlockRules;

// One change to one weapon, or to another block that `rules` finds.
struct Change {
  enum class Kind : unsigned char { Set, Remove };
  Kind kind = Kind::Set;
  std::string weapon;  // the bracket name, bytes; letter case not significant
  std::string key;     // a key of the block, or "damage.UNIT" for a line of its [DAMAGE] block
  std::string value;   // bytes; for Set only
  // How the block is found and changed when it is not a weapon's (a unit's):
  // null for a weapon.
  std::shared_ptr<const BlockRules> rules = nullptr;

  bool operator==(const Change&) const = default;
};

// A key as written on the command line, "damage.UNIT" included: whether it
// names a [DAMAGE] line, and the key of that line.
struct KeyName {
  bool damage = false;
  std::string_view key;
};
KeyName splitKey(std::string_view key);

// Why the change can never be made, whatever the file: a key that is not a
// plain word (letters, digits, "_"), a value that would break the file.
std::optional<std::string> checkChange(const Change& change);

// One run of bytes replaced in a file: at `offset`, `removed` gave way to
// `inserted`. Undoing puts `removed` back.
struct Splice {
  std::size_t offset = 0;
  std::string removed, inserted;
};
void redoSplice(std::string& bytes, const Splice& s);
void undoSplice(std::string& bytes, const Splice& s);

// Where the weapon's block lies in a file: the block the game reads of this
// file (the last whose header line starts with "[NAME]", letter case
// ignored, outside /* */ comments), from its header line to the end of the
// line that closes it.
struct BlockPlace {
  std::size_t begin = 0, end = 0;
};
std::optional<BlockPlace> findBlock(std::string_view bytes, std::string_view bracketName);

// The header of the weapon block the game reads around the byte at `offset`
// ("[NAME]", bytes as written); empty when that byte lies in no block.
std::string blockHeaderAt(std::string_view bytes, std::size_t offset);

// When the last header of the weapon in a file sits inside a /* */ comment,
// which the game skips and the loader (knowing no comments) shows: the line
// of that copy, and of the block the game reads (0 when the file has none).
struct CommentedCopy {
  int copyLine = 0, liveLine = 0;
};
std::optional<CommentedCopy> commentedCopy(std::string_view bytes, std::string_view bracketName);

// The line number (from 1) of the byte at `offset`, lines ending at CR LF,
// a lone CR or a lone LF, as the checks count them.
int lineAt(std::string_view bytes, std::size_t offset);

// Makes the change in the weapon's block in `bytes`, appending the splices
// made (each already applied, in order). Returns the refusal when it cannot
// be made (no such block, --remove of a key the block lacks, ...); `bytes`
// is then as it was. A value set to the text it already has changes nothing.
std::optional<std::string> applyChange(std::string& bytes, const Change& change, std::vector<Splice>& done);

// Where the line holding `change`'s key lies after it was set: its byte
// offset in `bytes`; nothing when the block or the key is not there.
std::optional<std::size_t> keyLineOffset(std::string_view bytes, const Change& change);

// The value of the key as the edit sees it (the bytes between "=" and ";"
// of its last line at its level, the one the game reads);
// nothing when the block lacks the key.
std::optional<std::string> valueOf(std::string_view bytes, std::string_view bracketName, std::string_view key);

// A key of the weapon in a file, as the loader reads it (what `show` and the
// Weapons table show) and as an edit sees it (the line the game reads).
struct KeyReading {
  // The text the loader stores: from the key's last line that it reads as
  // one (a key at column 1 or 2 directly followed by "="), to the line's end
  // less its last character; for a damage unit, its last entry's amount.
  // Nothing when no line gives it. `loadedLine` is that line.
  std::optional<std::string> loaded;
  std::string loadedLine;
  // The value an edit changes (as valueOf), and the line that holds it: the
  // key's last line at its level in the block the game reads.
  std::optional<std::string> value;
  std::string line;
  bool sameLine = false;  // the loader reads the line an edit changes
  bool shown = false;     // Actual Mode shows the key (a field's key or a damage unit)
};
KeyReading readKey(std::string_view bytes, std::string_view bracketName, std::string_view key);

// What the user is told of an edit of `key` when the line it changes, which
// the game reads, is not the one Actual Mode and the list show (UTF-8);
// nothing when they agree or Actual Mode does not show the key.
std::optional<std::string> readingNote(const KeyReading& read, std::string_view key);

// The keys of the weapon's block at its own level, then those of its
// [DAMAGE] block as "damage.UNIT", each once, in file order.
std::vector<std::string> keysOf(std::string_view bytes, std::string_view bracketName);

// For blocks found by other rules than the loader's: the splice that puts
// `text` as a line of its own after the line holding byte `at`, indented
// like the line holding byte `indentFrom`, ending as the line at `at` ends
// (or as the file's first line does, when it has no line end).
Splice lineAfterAt(std::string_view bytes, std::size_t at, std::size_t indentFrom, std::string_view text);
// The line that holds byte `at`: where it begins, where its line end begins,
// and where the next line begins.
struct LineSpan {
  std::size_t begin = 0, end = 0, next = 0;
};
LineSpan lineHolding(std::string_view bytes, std::size_t at);

}  // namespace qm::edit
