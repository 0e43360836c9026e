// The block grammar of weapon files as the weapon list and window read them,
// written once: a header line "[NAME]" at the start of a line, the line that
// opens its block ("{" as its first or second character, the header's own
// line or a later one), then the lines of the block up to the one that
// brings the count of "{" and "}" among their first three characters back to
// zero. BlockWalk walks it over lines and tells a reader what it meets: the
// loader and the edit model read blocks through it, and the weapons table's
// pass, which follows every name at once, takes its line tests. Besides, a
// key=value pair as the game reads it (cutPair), for the game checks' reader
// and the edit model.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/lines.h"
#include "text/text.h"
#include "weapon/recogniser.h"

namespace qm {

// A block opens on the line with "{" as its first or second character.
inline bool opensBlock(std::string_view line) { return braceAmong(line, 2, Brace::Open); }
// How a line inside a block changes its depth: "{" among its first three
// characters enters a sub-block, "}" among them leaves one (both: no change).
inline int depthChange(std::string_view line) {
  return (braceAmong(line, 3, Brace::Open) ? 1 : 0) - (braceAmong(line, 3, Brace::Close) ? 1 : 0);
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

// Which headers open blocks. By default those of one name, wherever they
// stand, as the loader reads them: it knows no comments.
struct BlockWalkOptions {
  // Every line that starts with "[" is a header, whatever its name.
  bool anyName = false;
  // A header inside a /* */ comment opens no block, as the game reads the
  // file. Only for a walk over a whole file in one piece.
  bool skipCommentedHeaders = false;
};

// A line as the walk hands it on: its text (no terminator) and where the
// line after it begins, counted from the start of the bytes walked.
struct WalkedLine {
  std::string_view text;
  std::size_t next = 0;
};

// Walks the blocks of a file over its lines, in pieces that each start a
// line if need be (the state carries over). The reader is told, in order:
//   header(line)          a header that starts a block;
//   opening(line, opens)  the header's line and each line after it up to
//                         the one that opens the block (`opens` true);
//   body(line, depth)     each line of the block, the one that closes it
//                         too; `depth` is the depth before it, from 1.
// A block's end is the body line after which the depth is zero; a file may
// end before it, or before the block opens. Outside blocks only lines that
// start with "[" are cut at all.
template <class Reader>
class BlockWalk {
 public:
  BlockWalk(std::string_view bracketName, Reader& reader, BlockWalkOptions how = {})
      : lowerName_(toLower(bracketName)), reader_(reader), how_(how) {}

  // Walks `lines` to their end.
  void walk(BufferLines& lines) {
    std::optional<CommentWalk> comments;
    if (how_.skipCommentedHeaders) comments.emplace(lines.bytes());
    std::string_view text;
    for (;;) {
      switch (state_) {
        case State::Seeking:
          if (!lines.skipToLineStartingWith('[')) return;
          if (comments && comments->inside(lines.offset())) {
            lines.next(text);
            continue;
          }
          if (!lines.next(text) || !isHeader(text)) continue;
          reader_.header(text);
          state_ = State::Opening;
          opening(WalkedLine{text, lines.offset()});
          continue;
        case State::Opening:
          if (!lines.next(text)) return;
          opening(WalkedLine{text, lines.offset()});
          continue;
        case State::InBlock: {
          if (!lines.next(text)) return;
          const long before = depth_;
          depth_ += depthChange(text);
          reader_.body(WalkedLine{text, lines.offset()}, before);
          if (depth_ == 0) state_ = State::Seeking;
          continue;
        }
      }
    }
  }
  void walk(std::string_view bytes) {
    BufferLines lines(bytes);
    walk(lines);
  }

 private:
  enum class State { Seeking, Opening, InBlock };  // a header; its opening line; its closing one

  bool isHeader(std::string_view line) const { return how_.anyName || isHeaderOf(line, lowerName_); }
  void opening(const WalkedLine& line) {
    const bool opens = opensBlock(line.text);
    reader_.opening(line, opens);
    if (opens) {
      state_ = State::InBlock;
      depth_ = 1;
    }
  }

  std::string lowerName_;
  Reader& reader_;
  BlockWalkOptions how_;
  State state_ = State::Seeking;
  long depth_ = 0;  // of nested blocks in the block being read
};

}  // namespace qm
