// The block grammar of weapon files as the weapon list and window read them,
// written once: a header line "[NAME]" at the start of a line, the line that
// opens its block ("{" as its first or second character, the header's own
// line or a later one), then the lines of the block up to the one that
// brings the count of "{" and "}" among their first three characters back to
// zero (Grammar names each of these rules, kListGrammar this reading).
//
// BlockWalk is the one walk of that grammar: it follows every name its
// reader asks it to at once, over lines fed to it, and tells the reader
// what it meets. The weapons table's pass is such a reader, for every name
// of the list, fed only the marked lines when it keeps no values; the
// loader and the edit model walk one name through NameWalk, a reader that
// matches that name (or any header) and knows comments when asked to.
// Besides, a key=value pair as the game reads it (cutPair), for the game
// checks' reader and the edit model.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/lines.h"
#include "text/text.h"
#include "weapon/recogniser.h"

namespace qm {

// The rules of the block grammar, and the two readings of them. The game
// reads a file character by character; the weapon list, the weapon window,
// the weapons table and the edit model read it line by line, as the loader
// does (BlockWalk, NameWalk), quirks and all. The rules in which the two
// readings part are named here, once, with what each reading does:
//
//   rule                kListGrammar                    kGameGrammar
//   headerStartsLine    "[" must start its line         "[" after blanks, anywhere
//   opensWithin         "{" among the first two         "{" anywhere
//                       characters of the header's
//                       line or a later one
//   depthWithin         "{" or "}" among the first      anywhere
//                       three, inside a block
//   knowsComments       no: "//" and "/*" are text      "//" to the line's end, "/* */"
//                       (BlockWalkOptions::
//                       skipCommentedHeaders reads
//                       headers as the game)
//   nameToLineEnd       the name is the line less its   the name ends at its "]"
//                       first and last character
//
// In both a header inside a block starts a block of its own: for the list
// when it is of another name (the two blocks nest; inside a block of its
// own name it is a line of it), for the game as a sub-block. Both find line
// ends with the line cutter's search (text/lines.h) and take their tests of
// a blank, a comment and a listed header, and the cut of a pair (cutPair),
// from this file.
struct Grammar {
  bool headerStartsLine;
  std::size_t opensWithin;  // 0: anywhere
  std::size_t depthWithin;  // 0: anywhere
  bool knowsComments;
  bool nameToLineEnd;
};
inline constexpr Grammar kListGrammar{true, 2, 3, false, true};
inline constexpr Grammar kGameGrammar{false, 0, 0, true, false};
// What a header starts with.
inline constexpr char kHeaderStart = '[';
// The line tests below and BlockWalk read the list's rules as kListGrammar
// states them: a header at a line's start, no comments known, the name to
// the line's end (bracketNameOf).
static_assert(kListGrammar.headerStartsLine && !kListGrammar.knowsComments && kListGrammar.nameToLineEnd);

// A block opens on the line with "{" as its first or second character.
inline bool opensBlock(std::string_view line) { return braceAmong(line, kListGrammar.opensWithin, Brace::Open); }
// How a line inside a block changes its depth: "{" among its first three
// characters enters a sub-block, "}" among them leaves one (both: no change).
inline int depthChange(std::string_view line) {
  return (braceAmong(line, kListGrammar.depthWithin, Brace::Open) ? 1 : 0) -
         (braceAmong(line, kListGrammar.depthWithin, Brace::Close) ? 1 : 0);
}
// Whether a line is marked: "{", "}" or "[" among its first three
// characters. Only such a line can start, open or end a block, or change
// the depth inside one.
inline bool isMarkedLine(std::string_view line) {
  static_assert(kListGrammar.depthWithin == 3 && kListGrammar.opensWithin <= 3,
                "a mark among the first three characters");
  static constexpr auto kMark = [] {
    std::array<bool, 256> mark{};
    mark['{'] = mark['}'] = mark[kHeaderStart] = true;
    return mark;
  }();
  const auto at = [&](std::size_t i) { return i < line.size() && kMark[static_cast<unsigned char>(line[i])]; };
  return at(0) || at(1) || at(2);
}
// The header line without its first and its last character.
inline std::string_view bracketNameOf(std::string_view header) {
  return header.size() < 2 ? std::string_view() : header.substr(1, header.size() - 2);
}
// Whether the weapon list shows the line as a weapon: it starts with "[",
// and not with "[DAMAGE]" (letter case exact).
inline bool isListedHeader(std::string_view line) {
  return !line.empty() && line[0] == '[' && !line.starts_with("[DAMAGE]");
}
// Whether the line is a header of the name: "[", the name, "]" at its start,
// letter case ignored; `lowerName` is the name folded to lower case.
inline bool isHeaderOf(std::string_view line, std::string_view lowerName) {
  return line.size() >= lowerName.size() + 2 && line[0] == '[' && matchesFoldedAt(line, 1, lowerName) &&
         line[lowerName.size() + 1] == ']';
}

// Whether places of a file lie inside a /* */ comment, asked in file order at
// the starts of lines: the comments are followed from one place asked to the
// next. The loader knows no comments; the game does.
class CommentWalk {
 public:
  explicit CommentWalk(std::string_view bytes) : bytes_(bytes) {}
  bool inside(std::size_t at) {
    // `at` begins a line: no "*/" or "//" straddles it.
    while (pos_ < at) {
      if (open_) {
        const std::size_t close = bytes_.find("*/", pos_);
        if (close == std::string_view::npos || close >= at) {
          pos_ = at;
          break;
        }
        open_ = false;
        pos_ = close + 2;
        continue;
      }
      const std::size_t slash = bytes_.find('/', pos_);
      if (slash == std::string_view::npos || slash >= at) {
        pos_ = at;
        break;
      }
      const char next = slash + 1 < bytes_.size() ? bytes_[slash + 1] : '\0';
      if (next == '*') {
        open_ = true;
        pos_ = slash + 2;
      } else if (next == '/') {
        pos_ = std::min(bytes_.find_first_of("\r\n", slash), bytes_.size());
      } else {
        pos_ = slash + 1;
      }
    }
    return open_;
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
  bool open_ = false;
};

// A key=value pair as the game reads it, from where its key begins: the key
// runs to its "=" (a ";", a line end, "[", a brace or a comment first make it
// no pair), the value on to its ";", the line's end, a "}" or a comment.
// Blanks around either are no part of it.
struct PairCut {
  std::size_t key = 0, keyEnd = 0;
  std::size_t eq = 0;  // its "="
  std::size_t value = 0, valueEnd = 0;
  std::size_t stop = 0;  // where the value stops: its ";", or what ends it without one
  bool semicolon = false;
};

inline bool isPairBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }
inline bool isLineEndByte(char c) { return c == '\n' || c == '\r'; }
// Whether a comment ("//" or "/*") begins at `i`.
inline bool commentAt(std::string_view s, std::size_t i) {
  return i + 1 < s.size() && s[i] == '/' && (s[i + 1] == '/' || s[i + 1] == '*');
}

// The pair whose key begins at `from`; empty when no "=" ends its key.
inline std::optional<PairCut> cutPair(std::string_view text, std::size_t from) {
  std::size_t eq = from;
  while (eq < text.size()) {
    const char c = text[eq];
    if (c == '=' || c == ';' || isLineEndByte(c) || c == '[' || c == '{' || c == '}' || commentAt(text, eq)) break;
    ++eq;
  }
  if (eq == text.size() || text[eq] != '=' || eq == from) return std::nullopt;
  PairCut cut;
  cut.key = from;
  cut.keyEnd = eq;
  cut.eq = eq;
  while (cut.keyEnd > cut.key && isPairBlank(text[cut.keyEnd - 1])) --cut.keyEnd;
  std::size_t stop = eq + 1;
  while (stop < text.size()) {
    const char c = text[stop];
    if (c == ';' || isLineEndByte(c) || c == '}' || commentAt(text, stop)) break;
    ++stop;
  }
  cut.stop = stop;
  cut.semicolon = stop < text.size() && text[stop] == ';';
  cut.value = eq + 1;
  cut.valueEnd = stop;
  while (cut.valueEnd > cut.value && isPairBlank(text[cut.valueEnd - 1])) --cut.valueEnd;
  while (cut.value < cut.valueEnd && isPairBlank(text[cut.value])) ++cut.value;
  return cut;
}

// Which headers open blocks in a walk of one name. By default those of the
// name, wherever they stand, as the loader reads them: it knows no comments.
struct BlockWalkOptions {
  // Every line that starts with "[" is a header, whatever its name.
  bool anyName = false;
  // A header inside a /* */ comment opens no block, as the game reads the
  // file. Only for a walk over a whole file in one piece.
  bool skipCommentedHeaders = false;
};

// A line as the walk hands it on: its text (no terminator), where the line
// after it begins, counted from the start of the bytes walked, and whether
// it is marked (isMarkedLine).
struct WalkedLine {
  std::string_view text;
  std::size_t next = 0;
  bool marked = false;
};

// Walks the blocks of every name a reader follows at once, over lines fed to
// it one by one (line) or taken from a buffer (walk), in pieces that each
// start a line if need be: the state carries over until end().
//
// Blocks of different names may overlap: a header inside a block of another
// name starts a block of its own, and the blocks nest, each ending at the
// first line that takes the depth, shared by all open blocks, back below
// where it began. So the open blocks are a stack, and each line is handed on
// once whatever the number of blocks it lies in. A name is in one state at a
// time: searching, waiting for the line that opens its block, or inside it;
// a header of a name that is not searching is no header.
//
// The reader is asked and told, for a line, in this order:
//   headers(text, ids, hint...)  for a line that starts with "[": push the
//                         ids of the names it is a header of, among those
//                         searching (those not waiting or inside a block);
//   body(line, depth)     when the line lies inside a block: `depth` is the
//                         innermost block's before it, from 1;
//   ended(id, end)        for each block the line ends, innermost first;
//                         `end` is where the line after it begins;
//   header(id, text)      for each name the line is a header of;
//   opening(line, opens)  when a name waits for its opening line: its
//                         header's line and each line after it up to the
//                         one that opens (`opens` true);
//   opened(id, line)      for each block that opens, the names that waited
//                         first; its lines begin at `line.next`.
// and at end(size), for the blocks still open, ended(id, size), innermost
// first, then unopened(id) for each name still waiting.
//
// Only marked lines change the state: a feeder that needs no body() of
// other lines may feed only the marked lines.
template <class Reader>
class BlockWalk {
 public:
  explicit BlockWalk(Reader& reader) : reader_(reader) {}
  BlockWalk(const BlockWalk&) = delete;
  BlockWalk& operator=(const BlockWalk&) = delete;

  // Walks `lines` to their end. Outside blocks only lines that start with
  // "[" are cut at all.
  void walk(BufferLines& lines) {
    std::string_view text;
    for (;;) {
      if (open_.empty() && waiting_.empty() && !lines.skipToLineStartingWith(kHeaderStart)) return;
      if (!lines.next(text)) return;
      line(text, lines.offset());
    }
  }
  void walk(std::string_view bytes) {
    BufferLines lines(bytes);
    walk(lines);
  }

  // One line; `next` is where the line after it begins. `hint` goes on to
  // the reader's headers().
  template <class... Hint>
  void line(std::string_view text, std::size_t next, const Hint&... hint) {
    ++lineNumber_;
    if (!isMarkedLine(text)) {
      // A key line: it starts, opens or ends nothing.
      const WalkedLine walked{text, next, false};
      if (!open_.empty()) reader_.body(walked, depth_ - open_.back().endDepth);
      if (!waiting_.empty()) reader_.opening(walked, false);
      return;
    }
    const WalkedLine walked{text, next, true};
    // Headers first, inside blocks too: a name whose block ends or opens
    // on this line has taken the line for that, and is no header of it.
    headers_.clear();
    if (text[0] == kHeaderStart) reader_.headers(text, headers_, hint...);
    if (!open_.empty()) {
      reader_.body(walked, depth_ - open_.back().endDepth);
      depth_ += depthChange(text);
      while (!open_.empty() && open_.back().endDepth == depth_) {
        const int id = open_.back().id;
        open_.pop_back();
        reader_.ended(id, next);
      }
    }
    if (headers_.empty() && waiting_.empty()) return;
    for (int id : headers_) reader_.header(id, text);
    const bool opens = opensBlock(text);
    reader_.opening(walked, opens);
    if (opens) {
      for (int id : waiting_) open(id, walked);
      waiting_.clear();
      for (int id : headers_) open(id, walked);
    } else {
      waiting_.insert(waiting_.end(), headers_.begin(), headers_.end());
    }
  }

  // The bytes end, `size` from their start, inside blocks or before their
  // opening lines.
  void end(std::size_t size) {
    while (!open_.empty()) {
      const int id = open_.back().id;
      open_.pop_back();
      reader_.ended(id, size);
    }
    for (int id : waiting_) reader_.unopened(id);
    waiting_.clear();
  }

  // The number of lines fed so far, the line being read's while it is.
  std::uint64_t lineNumber() const { return lineNumber_; }

 private:
  struct Open {
    int id;
    long endDepth;  // the block ends at the first line that takes the depth here
  };
  void open(int id, const WalkedLine& line) {
    open_.push_back({id, depth_ - 1});
    reader_.opened(id, line);
  }

  Reader& reader_;
  std::uint64_t lineNumber_ = 0;
  long depth_ = 0;            // the sum of the depth changes of the lines read inside blocks
  std::vector<Open> open_;    // outer blocks first
  std::vector<int> waiting_;  // names whose header was read, before their opening line
  std::vector<int> headers_;  // the names the line being read is a header of
};

// The walk of one name's blocks, or of every header's (anyName), which
// never overlap: a header inside the block is a line of it. Its reader is
// told header(text), opening(line, opens) and body(line, depth) as above.
template <class Reader>
class NameWalk {
 public:
  NameWalk(std::string_view bracketName, Reader& reader, BlockWalkOptions how = {})
      : lowerName_(toLower(bracketName)), reader_(reader), how_(how) {}
  NameWalk(const NameWalk&) = delete;
  NameWalk& operator=(const NameWalk&) = delete;

  // Walks a piece of a file, or with skipCommentedHeaders the whole file.
  void walk(std::string_view bytes) {
    if (how_.skipCommentedHeaders) {
      bytes_ = bytes;
      comments_.emplace(bytes);
    }
    walk_.walk(bytes);
  }

  // What the walk asks and tells of the one name.
  void headers(std::string_view text, std::vector<int>& ids) {
    if (busy_ || !(how_.anyName || isHeaderOf(text, lowerName_))) return;
    if (comments_ && comments_->inside(static_cast<std::size_t>(text.data() - bytes_.data()))) return;
    ids.push_back(0);
  }
  void header(int, std::string_view text) {
    busy_ = true;
    reader_.header(text);
  }
  void opening(const WalkedLine& line, bool opens) { reader_.opening(line, opens); }
  void opened(int, const WalkedLine&) {}
  void body(const WalkedLine& line, long depth) { reader_.body(line, depth); }
  void ended(int, std::size_t) { busy_ = false; }
  void unopened(int) { busy_ = false; }

 private:
  std::string lowerName_;
  Reader& reader_;
  BlockWalkOptions how_;
  std::string_view bytes_;
  std::optional<CommentWalk> comments_;
  bool busy_ = false;  // waiting for the block's opening line or inside it
  BlockWalk<NameWalk> walk_{*this};
};

// A place in the text walked.
struct WalkPlace {
  std::size_t offset = 0;
  int line = 1;    // from 1
  int column = 1;  // from 1, in bytes
};

struct WalkedHeader {
  WalkPlace at;             // of its "["
  std::string_view name;    // between the brackets; with no "]", the rest of its line
  std::string_view line;    // the whole line it stands on
  WalkPlace after;          // just past its "]", or the line's end when there is none
  bool closed = false;      // a "]" ends it on its line
  bool startsLine = false;  // its "[" is the line's first character
  bool textAfter = false;   // something stands between its "]" and the line's end
};

// Why a run of text is no pair: it stands outside every block, it is no
// key=value inside one, or it lies in a block nested deeper than the walk
// cuts pairs.
enum class StrayText { Outside, NoPair, TooDeep };

struct GameWalkOptions {
  // A value runs on over line ends to its ";", as the game reads unit files,
  // ending early only at a brace or before a line that starts with a header
  // or a brace (after blanks).
  bool valuesSpanLines = false;
  // Inside blocks nested deeper than this, text is not cut into pairs.
  std::size_t deepest = static_cast<std::size_t>(-1);
};

// Walks a whole file as the game reads it and tells the reader, in file
// order, what it meets:
//   header(WalkedHeader)            a "[" and its name;
//   opening(place, depth)           a "{"; `depth` is the count of open
//                                   braces before it;
//   closing(place, depth)           a "}" (with `depth` 0 it closes nothing);
//   pair(cut, key, end)             a key=value, up to and past its ";":
//                                   its PairCut (with values spanning lines,
//                                   value..valueEnd runs over line ends, blanks
//                                   and line ends at its ends no part of it,
//                                   and `stop` is where it stopped: its ";", a
//                                   brace, a line that starts a block, or the
//                                   end), the place of its key, and where its
//                                   value ends on the line it stops on, blanks
//                                   before that no part of it;
//   stray(place, run, StrayText)    a run of text that is no pair: up to the
//                                   line's end, a comment, a bracket or a
//                                   brace, or just past a ";";
//   emptyStatement(place)           a ";" on its own;
//   comment(place, block)           the start of a "//" or "/*" comment;
//   commentedLine(place, line)      each line that begins inside a /* */;
//   unclosedComment(start)          at the end, for a /* never closed;
//   lineEnd(place)                  each line end (CR LF, a lone CR or LF)
//                                   between pieces: those inside a comment
//                                   or a value are part of it.
// Blanks between the pieces are passed over. A "[" with no "]" on its line
// takes the rest of the line.
template <class Reader, Grammar G = kGameGrammar>
class GameWalk {
  static_assert(!G.headerStartsLine && G.opensWithin == 0 && G.depthWithin == 0 && !G.nameToLineEnd,
                "a character walk reads headers and braces anywhere, and a name to its \"]\"; the line walk "
                "reads them at lines' starts");

 public:
  GameWalk(std::string_view text, Reader& reader, GameWalkOptions how = {}) : text_(text), reader_(reader), how_(how) {}

  // Walks the text to its end and gives that place.
  WalkPlace walk() {
    while (pos_ < text_.size()) step();
    return here();
  }

 private:
  WalkPlace at(std::size_t p) const { return {p, line_, static_cast<int>(p - lineStart_ + 1)}; }
  WalkPlace here() const { return at(pos_); }
  bool commentAt(std::size_t p) const { return G.knowsComments && qm::commentAt(text_, p); }
  std::size_t lineEndFrom(std::size_t p) const {
    return static_cast<std::size_t>(findLineEnd(text_.data() + p, text_.data() + text_.size()) - text_.data());
  }

  // Passes over the line end at pos_.
  void newline() {
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    ++line_;
    lineStart_ = pos_;
  }

  void step() {
    const char c = text_[pos_];
    if (isLineEndByte(c)) {
      reader_.lineEnd(here());
      return newline();
    }
    if (isPairBlank(c)) return void(++pos_);
    if (commentAt(pos_)) {
      const bool block = text_[pos_ + 1] == '*';
      reader_.comment(here(), block);
      return block ? blockComment() : void(pos_ = lineEndFrom(pos_));
    }
    if (c == '[') return header();
    if (c == '{') {
      reader_.opening(here(), depth_++);
      return void(++pos_);
    }
    if (c == '}') {
      reader_.closing(here(), depth_);
      if (depth_ > 0) --depth_;
      return void(++pos_);
    }
    if (c == ';') {
      reader_.emptyStatement(here());
      return void(++pos_);
    }
    if (depth_ == 0) return strayRun(StrayText::Outside);
    if (depth_ > how_.deepest) return strayRun(StrayText::TooDeep);
    pair();
  }

  void blockComment() {
    const WalkPlace start = here();
    pos_ += 2;
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '*' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        pos_ += 2;
        return;
      }
      if (!isLineEndByte(c)) {
        ++pos_;
        continue;
      }
      newline();
      reader_.commentedLine(here(), text_.substr(pos_, lineEndFrom(pos_) - pos_));
    }
    reader_.unclosedComment(start);
  }

  void header() {
    WalkedHeader h;
    h.at = here();
    h.startsLine = pos_ == lineStart_;
    const std::size_t lineEnd = lineEndFrom(pos_);
    h.line = text_.substr(lineStart_, lineEnd - lineStart_);
    std::size_t close = pos_ + 1;
    while (close < lineEnd && text_[close] != ']') ++close;
    h.closed = close < lineEnd;
    h.name = text_.substr(pos_ + 1, close - pos_ - 1);
    pos_ = h.closed ? close + 1 : lineEnd;
    h.after = here();
    h.textAfter = pos_ < lineEnd;
    reader_.header(h);
  }

  // A run of text that is no pair, from pos_.
  void strayRun(StrayText why) {
    const WalkPlace start = here();
    std::size_t p = pos_;
    while (p < text_.size()) {
      const char c = text_[p];
      if (isLineEndByte(c) || c == '[' || c == '{' || c == '}' || commentAt(p)) break;
      ++p;
      if (c == ';') break;
    }
    pos_ = p;
    reader_.stray(start, text_.substr(start.offset, p - start.offset), why);
  }

  void pair() {
    std::optional<PairCut> cut = cutPair(text_, pos_);
    if (!cut) return strayRun(StrayText::NoPair);
    const WalkPlace key = here();
    std::size_t valueEnd = cut->valueEnd;
    if (how_.valuesSpanLines) {
      spanValue(*cut);
      valueEnd = cut->stop;
      while (valueEnd > lineStart_ && isPairBlank(text_[valueEnd - 1])) --valueEnd;
    }
    pos_ = cut->semicolon ? cut->stop + 1 : cut->stop;
    reader_.pair(*cut, key, at(valueEnd));
  }

  // Whether the line that starts at `p` opens with a header or a brace.
  bool lineStartsBlock(std::size_t p) const {
    while (p < text_.size() && isPairBlank(text_[p])) ++p;
    return p < text_.size() && (text_[p] == '[' || text_[p] == '{' || text_[p] == '}');
  }

  // Runs the value of `cut` on over line ends to its ";".
  void spanValue(PairCut& cut) {
    std::size_t q = cut.eq + 1;
    while (q < text_.size()) {
      const char c = text_[q];
      if (c == ';' || c == '{' || c == '}') break;
      if (isLineEndByte(c)) {
        std::size_t next = q + 1;
        if (c == '\r' && next < text_.size() && text_[next] == '\n') ++next;
        if (next >= text_.size() || lineStartsBlock(next)) break;
        pos_ = q;
        newline();
        q = pos_;
        continue;
      }
      ++q;
    }
    std::size_t begin = cut.eq + 1, end = q;
    const auto space = [](char c) { return isPairBlank(c) || isLineEndByte(c); };
    while (begin < end && space(text_[begin])) ++begin;
    while (end > begin && space(text_[end - 1])) --end;
    cut.value = begin;
    cut.valueEnd = end;
    cut.stop = q;
    cut.semicolon = q < text_.size() && text_[q] == ';';
  }

  std::string_view text_;
  Reader& reader_;
  GameWalkOptions how_;
  std::size_t pos_ = 0;
  std::size_t lineStart_ = 0;
  int line_ = 1;
  std::size_t depth_ = 0;  // braces open: "{" less "}", never below zero
};

}  // namespace qm
