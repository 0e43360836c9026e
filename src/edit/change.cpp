#include "edit/change.h"

#include <algorithm>
#include <array>

#include "checks/finding.h"
#include "text/lines.h"
#include "text/text.h"
#include "weapon/block_walk.h"
#include "weapon/field_table.h"
#include "weapon/recogniser.h"

namespace qm::edit {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool isWordByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isWord(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!isWordByte(c)) return false;
  return true;
}

// One line of the file: its text [begin, end), and `next`, where the line
// after its terminator begins.
struct Line {
  std::size_t begin = 0, end = 0, next = 0;
  bool commentOpen = false;  // a /* comment runs on past its end
};

// The line of `bytes` the walk handed on.
Line lineOf(std::string_view bytes, const WalkedLine& walked) {
  const auto begin = static_cast<std::size_t>(walked.text.data() - bytes.data());
  return {begin, begin + walked.text.size(), walked.next};
}

// A key line: blanks, then a pair as the game reads it (cutPair) whose key
// is a plain word. An edit replaces all from its "=" to its ";" (to its
// value's end without one), blanks too, so that the loader, which keeps
// blanks, reads the new value as it is set.
struct KeyLine {
  Line line;
  std::size_t key = 0, keyEnd = 0;
  std::size_t value = 0, valueEnd = 0;  // as the game reads it
  std::size_t replaced = 0, replacedEnd = 0;
  std::size_t stop = 0;  // the ";", or where the value stops without one
  bool semicolon = false;
};

std::optional<KeyLine> keyLineOf(std::string_view bytes, const Line& line) {
  const std::string_view text = bytes.substr(line.begin, line.end - line.begin);
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  const std::optional<PairCut> cut = cutPair(text, i);
  if (!cut || !isWord(text.substr(cut->key, cut->keyEnd - cut->key))) return std::nullopt;
  const std::size_t at = line.begin;
  return KeyLine{line,
                 at + cut->key,
                 at + cut->keyEnd,
                 at + cut->value,
                 at + cut->valueEnd,
                 at + cut->eq + 1,
                 at + (cut->semicolon ? cut->stop : cut->valueEnd),
                 at + cut->stop,
                 cut->semicolon};
}

std::string_view textOf(std::string_view bytes, std::size_t begin, std::size_t end) {
  return bytes.substr(begin, end - begin);
}

// Reads one line for comments and braces: returns whether a /* comment is
// still open at its end (given whether one was at its start), and clears
// `agree` when the loader would count its braces otherwise than the game: a
// brace the game reads further in than the loader looks (`early` bytes), one
// in a comment within them, or two of a kind on one line.
bool readLine(std::string_view text, bool open, std::size_t early, bool& agree) {
  int opens = 0, closes = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool next = i + 1 < text.size();
    if (open) {
      if (c == '*' && next && text[i + 1] == '/') {
        open = false;
        ++i;
      } else if ((c == '{' || c == '}') && i < early) {
        agree = false;
      }
      continue;
    }
    if (c == '/' && next && text[i + 1] == '/') {
      for (std::size_t j = i; j < early && j < text.size(); ++j)
        if (text[j] == '{' || text[j] == '}') agree = false;
      break;
    }
    if (c == '/' && next && text[i + 1] == '*') {
      open = true;
      ++i;
      continue;
    }
    if (c != '{' && c != '}') continue;
    if (i >= early || ++(c == '{' ? opens : closes) > 1) agree = false;
  }
  return open;
}

// The keys of one level of a block (the weapon's own, or its [DAMAGE]
// block's), with where new lines go.
struct Level {
  bool present = false;
  Line open;  // the line with the level's "{"
  std::vector<KeyLine> keys;
  std::size_t close = kNone;  // where the line with the level's "}" begins

  // The line new keys follow: the last key line, else the "{" line.
  const Line& anchor() const { return keys.empty() ? open : keys.back().line; }
};

// A stretch of a line the loader stores: a key's value, or a damage entry.
struct LoadedSpan {
  Line line;
  std::size_t begin = 0, end = 0;
};

// A weapon block read the way the loader reads it: an opening line with "{"
// among its first two bytes, then lines up to the one that brings the count
// of "{" and "}" among their first three bytes back to zero.
struct Block {
  BlockPlace place;
  Level weapon, damage;
  bool bracesAgree = true;  // the loader and the game see the same block
  // What the loader stores of the block's lines (by its own line grammar,
  // which knows no levels and no comments): each slot's last line, and the
  // damage entries in order. The damage sub-block state starts closed.
  std::array<std::optional<LoadedSpan>, kSlotCount> slots;
  std::vector<LoadedSpan> damageEntries;
};

LoadedSpan loadedPart(const Line& line, std::string_view text, std::string_view part) {
  // A value that ends the line right at its "=" is no part of it: empty, at the line's end.
  const std::size_t at = part.data() ? line.begin + static_cast<std::size_t>(part.data() - text.data()) : line.end;
  return {line, at, at + part.size()};
}

bool isDamageHeader(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  return matchesFoldedAt(line, i, "[damage]");
}

// Reads the blocks the walk finds into Blocks: the last one found is kept.
// Each line is read two ways: as the loader stores it (its own line grammar,
// which knows no levels and no comments) and as the game reads it (keys by
// level, comments followed), noting where the two count braces apart.
class BlockReader {
 public:
  explicit BlockReader(std::string_view bytes) : bytes_(bytes) {}

  void header(std::string_view text) {
    Block& block = found.emplace();
    block.place.begin = offsetOf(text);
    block.place.end = block.place.begin + text.size();
    inComment_ = damageNext_ = inDamage_ = damageCarry_ = false;
  }

  void opening(const WalkedLine& walked, bool opens) {
    Block& block = *found;
    Line line = lineOf(bytes_, walked);
    block.place.end = line.next;
    followComments(line, walked.text, 2);
    if (!opens) return;
    // The loader reads no "}" on the line that opens the block; the game does.
    if (walked.text.find('}') != std::string_view::npos) block.bracesAgree = false;
    block.weapon.present = true;
    block.weapon.open = line;
  }

  void body(const WalkedLine& walked, long before) {
    const std::string_view text = walked.text;
    Line line = lineOf(bytes_, walked);
    found->place.end = line.next;
    storeAsLoader(line, text);
    const bool opens = braceAmong(text, 3, Brace::Open), closes = braceAmong(text, 3, Brace::Close);
    const bool commented = inComment_;
    followComments(line, text, 3);
    if (!opens && !closes && !commented) readKeyLine(line, text, before);
    if (opens) enterSubBlock(line, before, closes);
    if (closes) leaveSubBlock(line, before + (opens ? 1 : 0) - 1);
  }

  std::optional<Block> found;

 private:
  std::size_t offsetOf(std::string_view text) const { return static_cast<std::size_t>(text.data() - bytes_.data()); }

  // What the loader stores of the line: the slots it sets, a damage entry.
  void storeAsLoader(const Line& line, std::string_view text) {
    KeyValue values[2];
    for (int i = 0, n = keyValuesOf(text, values); i < n; ++i)
      found->slots[slotIndex(values[i].slot)] = loadedPart(line, text, values[i].value);
    std::string_view entry;
    if (damageEntryOf(text, damageCarry_, entry)) found->damageEntries.push_back(loadedPart(line, text, entry));
  }

  // The /* */ comments over the line, the loader looking `early` bytes in.
  void followComments(Line& line, std::string_view text, std::size_t early) {
    inComment_ = readLine(text, inComment_, early, found->bracesAgree);
    line.commentOpen = inComment_;
  }

  // A line with no brace, not in a comment, at `depth`: a [DAMAGE] header
  // of the weapon, or a key line of the weapon or of its damage block.
  void readKeyLine(const Line& line, std::string_view text, long depth) {
    if (depth == 1 && isDamageHeader(text)) {
      damageNext_ = true;
    } else if (depth == 1 || (depth == 2 && inDamage_)) {
      if (auto key = keyLineOf(bytes_, line)) (depth == 1 ? found->weapon : found->damage).keys.push_back(*key);
    }
  }

  void enterSubBlock(const Line& line, long before, bool closes) {
    if (before != 1) return;
    // A sub-block opened and closed on one line holds no lines to edit.
    inDamage_ = damageNext_ && !closes;
    damageNext_ = false;
    // Of several [DAMAGE] blocks the last is the one edited.
    if (inDamage_) found->damage = Level{true, line, {}, kNone};
  }

  void leaveSubBlock(const Line& line, long after) {
    if (after == 1 && inDamage_) {
      found->damage.close = line.begin;
      inDamage_ = false;
    }
    if (after == 0) found->weapon.close = line.begin;
  }

  std::string_view bytes_;
  bool inComment_ = false;
  bool damageNext_ = false, inDamage_ = false;  // a [DAMAGE] header read; inside its block
  bool damageCarry_ = false;                    // the loader's damage sub-block state
};

// The last block of the weapon in the file, as the loader finds it (`live`
// false: headers in comments count, as the loader knows no comments) or as
// the game does (`live`: headers inside /* */ comments do not).
std::optional<Block> lastBlock(std::string_view bytes, std::string_view bracketName, bool live = true) {
  BlockReader reader(bytes);
  NameWalk<BlockReader>(bracketName, reader, {.skipCommentedHeaders = live}).walk(bytes);
  return std::move(reader.found);
}

// The header line of each block the game reads, with where its block ends.
struct HeaderFinder {
  std::size_t offset;
  std::string_view bytes;
  std::string_view holding;  // the header of the block holding `offset`, once found
  std::string_view last;     // the header of the block being walked
  std::size_t lastBegin = 0, lastEnd = 0;
  void header(std::string_view text) {
    settle();
    last = text;
    lastBegin = static_cast<std::size_t>(text.data() - bytes.data());
    lastEnd = lastBegin + text.size();
  }
  void opening(const WalkedLine& line, bool) { lastEnd = line.next; }
  void body(const WalkedLine& line, long) { lastEnd = line.next; }
  void settle() {
    if (holding.data() == nullptr && last.data() != nullptr && lastBegin <= offset && offset < lastEnd) holding = last;
  }
};

}  // namespace

std::string blockHeaderAt(std::string_view bytes, std::size_t offset) {
  HeaderFinder finder{offset, bytes, {}, {}};
  NameWalk<HeaderFinder>({}, finder, {.anyName = true, .skipCommentedHeaders = true}).walk(bytes);
  finder.settle();
  const std::string_view text = finder.holding;
  if (text.data() == nullptr) return {};
  const std::size_t close = text.find(']');
  return std::string(close == std::string_view::npos ? text : text.substr(0, close + 1));
}

namespace {

// The line end of the line `line`, else the file's first, else LF.
std::string lineEndFor(std::string_view bytes, const Line& line) {
  if (line.next > line.end) return std::string(textOf(bytes, line.end, line.next));
  const char* base = bytes.data();
  const std::size_t at = static_cast<std::size_t>(findLineEnd(base, base + bytes.size()) - base);
  if (at == bytes.size()) return "\n";
  return at + 1 < bytes.size() && bytes[at] == '\r' && bytes[at + 1] == '\n' ? "\r\n" : std::string(1, bytes[at]);
}

std::string indentOf(std::string_view bytes, const Line& line) {
  std::size_t i = line.begin;
  while (i < line.end && isBlank(bytes[i])) ++i;
  return std::string(textOf(bytes, line.begin, i));
}

// The indent of a new line, taken from its neighbour's where the loader
// reads a line so indented: a key at column 1 or 2 (the header of a
// [DAMAGE] block too), a damage line after at most two tabs. Else a tab, or
// two for a damage line, where a neighbour that is further in lines up.
std::string readableIndent(std::string indent, bool damageLine) {
  if (damageLine) return indent.size() <= 2 && indent.find_first_not_of('\t') == std::string::npos ? indent : "\t\t";
  return indent.size() <= 1 ? indent : "\t";
}

std::string quotedName(std::string_view name) { return '[' + cp1252ToUtf8(name) + ']'; }

void apply(std::string& bytes, std::vector<Splice>& done, Splice s) {
  redoSplice(bytes, s);
  done.push_back(std::move(s));
}

// Inserts a line after `anchor` (a line of `bytes`).
Splice lineAfter(std::string_view bytes, const Line& anchor, const std::string& text) {
  const std::string eol = lineEndFor(bytes, anchor);
  if (anchor.next == anchor.end) return {anchor.next, {}, eol + text};  // the file's last line, no line end
  return {anchor.next, {}, text + eol};
}

}  // namespace

KeyName splitKey(std::string_view key) {
  if (matchesFoldedAt(key, 0, "damage.")) return {true, key.substr(7)};
  return {false, key};
}

std::optional<std::string> checkChange(const Change& change) {
  const KeyName name = splitKey(change.key);
  if (!isWord(name.key))
    return '\'' + cp1252ToUtf8(change.key) + "' is not a key: a key is letters, digits and _" +
           (name.damage ? " after damage." : "");
  if (change.kind != Change::Kind::Set) return std::nullopt;
  const std::string_view v = change.value;
  if (v.find_first_of(";{}[]\r\n") != std::string_view::npos || v.find("//") != std::string_view::npos ||
      v.find("/*") != std::string_view::npos)
    return "the value of " + cp1252ToUtf8(change.key) +
           " may not hold ';', '{', '}', '[', ']', a line break, '//' or '/*': it would break the file";
  return std::nullopt;
}

void redoSplice(std::string& bytes, const Splice& s) { bytes.replace(s.offset, s.removed.size(), s.inserted); }
void undoSplice(std::string& bytes, const Splice& s) { bytes.replace(s.offset, s.inserted.size(), s.removed); }

std::optional<BlockPlace> findBlock(std::string_view bytes, std::string_view bracketName) {
  const auto block = lastBlock(bytes, bracketName);
  if (!block) return std::nullopt;
  return block->place;
}

namespace {

// The value the loader stores for the key, where it lies: the slot's last
// line, or the last damage entry of the unit, its amount.
std::optional<LoadedSpan> loadedValue(std::string_view bytes, const Block& block, const KeyName& name) {
  if (!name.damage) {
    for (const FieldRow& f : kFields)
      if (f.isKeyLine() && sameFolded(f.key, name.key)) return block.slots[slotIndex(f.slot)];
    return std::nullopt;
  }
  for (auto it = block.damageEntries.rbegin(); it != block.damageEntries.rend(); ++it) {
    const std::string_view entry = textOf(bytes, it->begin, it->end);
    if (!sameFolded(damageUnitOf(entry), name.key)) continue;
    const std::string_view amount = damageAmountOf(entry);
    const std::size_t at =
        amount.empty() ? it->end : it->begin + static_cast<std::size_t>(amount.data() - entry.data());
    return LoadedSpan{it->line, at, it->end};
  }
  return std::nullopt;
}

// The key line an edit of the key changes: the level's last line of the
// key, whatever its blanks, the one the game reads.
const KeyLine* findKey(std::string_view bytes, const Block& block, const KeyName& name) {
  const Level& level = name.damage ? block.damage : block.weapon;
  const KeyLine* last = nullptr;
  for (const KeyLine& k : level.keys)
    if (sameFolded(textOf(bytes, k.key, k.keyEnd), name.key)) last = &k;
  return last;
}

// Whether Actual Mode shows the key at all: one of the fields of a
// "key=value;" line, or a unit of the damage list.
bool shownKey(const KeyName& name) {
  if (name.damage) return true;
  for (const FieldRow& f : kFields)
    if (f.isKeyLine() && sameFolded(f.key, name.key)) return true;
  return false;
}

// Whether only blanks and comments follow the first ";" of the key line.
bool aloneOnLine(std::string_view bytes, const KeyLine& k) {
  const std::string_view rest = textOf(bytes, k.stop, k.line.end);
  std::size_t i = k.semicolon ? 1 : 0;
  while (i < rest.size() && isBlank(rest[i])) ++i;
  return i == rest.size() || commentAt(rest, i);
}

}  // namespace

std::optional<std::string> applyChange(std::string& bytes, const Change& change, std::vector<Splice>& done) {
  if (auto refusal = checkChange(change)) return refusal;
  const auto block = lastBlock(bytes, change.weapon);
  if (!block) return quotedName(change.weapon) + " is not in the file";
  if (!block->weapon.present) return quotedName(change.weapon) + " has no opening '{'";
  if (!block->bracesAgree)
    return quotedName(change.weapon) +
           " has a brace that Quillmark's list reads otherwise than the game (further in than the third column, "
           "in a comment, or two on one line): edit it by hand";
  const KeyName name = splitKey(change.key);
  const Level& level = name.damage ? block->damage : block->weapon;
  const std::string_view key = name.key;

  if (change.kind == Change::Kind::Remove) {
    std::vector<const KeyLine*> lines;
    for (const KeyLine& k : level.keys)
      if (sameFolded(textOf(bytes, k.key, k.keyEnd), key)) lines.push_back(&k);
    if (lines.empty()) return quotedName(change.weapon) + " has no key " + cp1252ToUtf8(change.key);
    // A line holding another key, or opening a /* comment that runs on
    // (without it, the lines after it would come out of the comment).
    for (const KeyLine* k : lines)
      if (!aloneOnLine(bytes, *k) || k->line.commentOpen)
        return "the line of " + cp1252ToUtf8(change.key) + " in " + quotedName(change.weapon) +
               " holds more than that key: edit it by hand";
    // Every line of the key goes, so that no earlier value comes to count;
    // from the last, so that the offsets of the others stay.
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
      const Line& l = (*it)->line;
      apply(bytes, done, {l.begin, bytes.substr(l.begin, l.next - l.begin), {}});
    }
    return std::nullopt;
  }

  if (const KeyLine* k = findKey(bytes, *block, name)) {
    if (textOf(bytes, k->value, k->valueEnd) == change.value) return std::nullopt;
    apply(bytes, done,
          {k->replaced, std::string(textOf(bytes, k->replaced, k->replacedEnd)),
           change.value + (k->semicolon ? "" : ";")});
    return std::nullopt;
  }

  const std::string line = std::string(key) + "=" + change.value + ";";
  if (level.present) {
    const Line& anchor = level.anchor();
    if (anchor.commentOpen)
      return "a /* comment runs on after the line where " + cp1252ToUtf8(change.key) + " would go in " +
             quotedName(change.weapon) + ": edit it by hand";
    apply(bytes, done, lineAfter(bytes, anchor, readableIndent(indentOf(bytes, anchor), name.damage) + line));
    return std::nullopt;
  }
  // A [DAMAGE] block of its own before the weapon's "}": its header where
  // the loader looks for one (column 1 or 2), its braces and lines a tab
  // further in, which keeps the braces among the first three columns.
  if (block->weapon.close == kNone) return quotedName(change.weapon) + " has no closing '}'";
  const std::string eol = lineEndFor(bytes, block->weapon.anchor());
  const std::string indent = readableIndent(indentOf(bytes, block->weapon.anchor()), false);
  const std::string inner(indent.size() + 1, '\t');
  apply(bytes, done,
        {block->weapon.close,
         {},
         indent + "[DAMAGE]" + eol + inner + "{" + eol + inner + line + eol + inner + "}" + eol});
  return std::nullopt;
}

int lineAt(std::string_view bytes, std::size_t offset) {
  return 1 + static_cast<int>(countLineEnds(bytes.data(), bytes.data() + offset));
}

std::optional<std::size_t> keyLineOffset(std::string_view bytes, const Change& change) {
  const auto block = lastBlock(bytes, change.weapon);
  if (!block) return std::nullopt;
  const KeyLine* k = findKey(bytes, *block, splitKey(change.key));
  if (!k) return std::nullopt;
  return k->line.begin;
}

std::optional<std::string> valueOf(std::string_view bytes, std::string_view bracketName, std::string_view key) {
  return readKey(bytes, bracketName, key).value;
}

KeyReading readKey(std::string_view bytes, std::string_view bracketName, std::string_view key) {
  KeyReading out;
  const KeyName name = splitKey(key);
  out.shown = shownKey(name);
  // What Actual Mode shows comes from the block the loader finds, which may
  // be a copy in a comment; the edit changes the block the game reads.
  const auto block = lastBlock(bytes, bracketName);
  const auto shownBlock = lastBlock(bytes, bracketName, false);
  std::optional<LoadedSpan> loaded;
  if (shownBlock) loaded = loadedValue(bytes, *shownBlock, name);
  if (loaded) {
    out.loaded = std::string(textOf(bytes, loaded->begin, loaded->end));
    out.loadedLine = std::string(textOf(bytes, loaded->line.begin, loaded->line.end));
  }
  if (!block) return out;
  if (const KeyLine* k = findKey(bytes, *block, name)) {
    out.value = std::string(textOf(bytes, k->value, k->valueEnd));
    out.line = std::string(textOf(bytes, k->line.begin, k->line.end));
    out.sameLine = loaded && loaded->line.begin == k->line.begin;
  }
  return out;
}

std::optional<std::string> readingNote(const KeyReading& read, std::string_view key) {
  if (!read.value || read.sameLine || !read.shown) return std::nullopt;
  const std::string line = quoted(trimBlanks(read.line));
  if (read.loaded)
    return cp1252ToUtf8(key) + ": the game reads the line changed, " + line + "; Actual Mode and the list show " +
           quoted(*read.loaded) + " from another line, " + quoted(trimBlanks(read.loadedLine));
  return cp1252ToUtf8(key) + ": the game reads the line changed, " + line +
         "; Actual Mode and the list do not read that line";
}

std::optional<CommentedCopy> commentedCopy(std::string_view bytes, std::string_view bracketName) {
  const auto shown = lastBlock(bytes, bracketName, false);
  if (!shown) return std::nullopt;
  const auto live = lastBlock(bytes, bracketName);
  if (live && live->place.begin == shown->place.begin) return std::nullopt;
  CommentedCopy out;
  out.copyLine = lineAt(bytes, shown->place.begin);
  if (live) out.liveLine = lineAt(bytes, live->place.begin);
  return out;
}

std::vector<std::string> keysOf(std::string_view bytes, std::string_view bracketName) {
  std::vector<std::string> out;
  const auto block = lastBlock(bytes, bracketName);
  if (!block) return out;
  auto add = [&](const Level& level, std::string_view prefix) {
    for (const KeyLine& k : level.keys) {
      const std::string key = std::string(prefix) + std::string(textOf(bytes, k.key, k.keyEnd));
      bool seen = false;
      for (const std::string& o : out) seen = seen || sameFolded(o, key);
      if (!seen) out.push_back(key);
    }
  };
  add(block->weapon, "");
  add(block->damage, "damage.");
  return out;
}

}  // namespace qm::edit

namespace qm::edit {

LineSpan lineHolding(std::string_view bytes, std::size_t at) {
  at = std::min(at, bytes.size());
  std::size_t begin = at;
  while (begin > 0 && bytes[begin - 1] != '\n' && bytes[begin - 1] != '\r') --begin;
  BufferLines lines(bytes.substr(begin));
  std::string_view text;
  if (!lines.next(text)) return {begin, begin, begin};
  return {begin, begin + text.size(), begin + lines.offset()};
}

Splice lineAfterAt(std::string_view bytes, std::size_t at, std::size_t indentFrom, std::string_view text) {
  const LineSpan anchor = lineHolding(bytes, at), indented = lineHolding(bytes, indentFrom);
  return lineAfter(bytes, Line{anchor.begin, anchor.end, anchor.next},
                   indentOf(bytes, Line{indented.begin, indented.end, indented.next}) + std::string(text));
}

}  // namespace qm::edit
