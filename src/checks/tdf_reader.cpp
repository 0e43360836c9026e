#include "checks/tdf_reader.h"

#include <iterator>
#include <utility>

#include "text/text.h"
#include "weapon/block_walk.h"

namespace qm {

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isPairBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isPairBlank(s.back())) s.remove_suffix(1);
  return s;
}

class Reader {
 public:
  Reader(std::string_view text, const std::string& file, std::vector<Finding>& findings, TdfReading how)
      : text_(text), file_(file), findings_(findings), how_(how) {}

  TdfDocument run() {
    while (pos_ < text_.size()) step();
    if (pending_) missingBrace();
    if (!open_.empty()) {
      const std::size_t unclosed = open_.size();
      while (!open_.empty()) {
        open_.back().end = here();
        closeBlock();
      }
      unclosedAtEnd(unclosed);
    }
    return std::move(doc_);
  }

 private:
  std::string bracketed(std::string_view name) const { return quoted('[' + std::string(name) + ']'); }

  TdfPosition at(std::size_t p) const { return {line_, static_cast<int>(p - lineStart_ + 1)}; }
  TdfPosition here() const { return at(pos_); }

  bool commentAt(std::size_t p) const { return qm::commentAt(text_, p); }
  std::size_t lineEndFrom(std::size_t p) const {
    while (p < text_.size() && !isLineEndByte(text_[p])) ++p;
    return p;
  }

  void report(TdfPosition where, const CheckInfo& check, std::string message) {
    findings_.push_back(finding(check, file_, where.line, where.column, std::move(message)));
  }

  // Passes over the line end at pos_: CR LF, a lone CR or a lone LF.
  void newline() {
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    ++line_;
    lineStart_ = pos_;
  }

  void step() {
    const char c = text_[pos_];
    if (isLineEndByte(c)) return newline();
    if (isPairBlank(c)) return void(++pos_);
    if (commentAt(pos_)) return text_[pos_ + 1] == '/' ? void(pos_ = lineEndFrom(pos_)) : blockComment();
    if (c == '[') return header();
    if (pending_ && c != '{') missingBrace();
    if (c == '{') return openBrace();
    if (c == '}') return closeBrace();
    if (c == ';') return void(++pos_);  // an empty statement
    if (open_.empty()) return textOutside();
    if (untracked_ > 0) return void(pos_ = strayEnd());
    pair();
  }

  void blockComment() {
    const TdfPosition start = here();
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
      // The weapon list reads lines and knows nothing of comments.
      const std::string_view line = text_.substr(pos_, lineEndFrom(pos_) - pos_);
      if (isListedHeader(line))
        report(here(), check::kBlockInComment,
               "the weapon list shows " + quoted(line) + " although it is inside a /* */ comment");
    }
    report(start, check::kUnclosedComment, "a /* comment is never closed");
  }

  void header() {
    const TdfPosition start = here();
    const std::size_t lineEnd = lineEndFrom(pos_);
    const std::string_view line = text_.substr(lineStart_, lineEnd - lineStart_);
    std::size_t close = pos_ + 1;
    while (close < lineEnd && text_[close] != ']') ++close;
    if (pending_) missingBrace();
    pending_ = true;
    pendingBlock_ = TdfBlock{};
    pendingBlock_.at = start;
    if (close == lineEnd) {
      pendingBlock_.name = trimmed(text_.substr(pos_ + 1, lineEnd - pos_ - 1));
      report(start, check::kUnclosedHeader,
             "the header " + quoted('[' + std::string(pendingBlock_.name)) + " has no ']'");
      pos_ = lineEnd;
      return;
    }
    pendingBlock_.name = text_.substr(pos_ + 1, close - pos_ - 1);
    pos_ = close + 1;

    // How the weapon list sees it: a header starts its line, and the listed
    // name is the line less its first and last byte.
    if (start.column == 1 && !open_.empty() && isListedHeader(line)) {
      report(start, check::kListedSubBlock,
             "the weapon list shows the sub-block " + bracketed(pendingBlock_.name) +
                 " as a weapon, because its header starts the line");
    } else if (start.column == 1 && open_.empty() && pos_ < lineEnd) {
      report(here(), check::kTextAfterHeader,
             "text after ']': the weapon list shows the name " + quoted(line.substr(1, line.size() - 2)) +
                 " and cannot load that weapon");
    } else if (start.column > 1 && open_.empty()) {
      report(start, check::kIndentedHeader,
             "the weapon list does not show " + bracketed(pendingBlock_.name) +
                 ", because its header does not start the line");
    }
  }

  void missingBrace() {
    report(pendingBlock_.at, check::kMissingBrace, bracketed(pendingBlock_.name) + " is not followed by '{'");
    pending_ = false;
  }

  void openBrace() {
    if (open_.size() + untracked_ >= kDeepestBlock) {
      if (untracked_++ == 0 && !reportedDeep_)
        report(here(), check::kDeepNesting, "blocks nested more than " + std::to_string(kDeepestBlock) + " deep");
      reportedDeep_ = true;
      pending_ = false;
      ++pos_;
      return;
    }
    if (pending_) {
      open_.push_back(std::move(pendingBlock_));
      open_.back().pairs.reserve(open_.size() == 1 ? std::max<std::size_t>(64, how_.pairsHint) : 8);
      pending_ = false;
    } else {
      report(here(), check::kMissingHeader, "'{' without a [NAME] header before it");
      open_.push_back(TdfBlock{{}, here(), {}, {}, {}, false});
    }
    ++pos_;
  }

  void closeBrace() {
    if (untracked_ > 0)
      --untracked_;
    else if (open_.empty())
      report(here(), check::kUnmatchedBrace, "'}' with no block open");
    else {
      open_.back().end = here();
      closeBlock();
    }
    ++pos_;
  }

  // Blocks still open at the end of the file. A weapon whose "}" is missing
  // swallows the weapons after it: the first block inside it that has a
  // weapon's marks (an ID, or a [DAMAGE] block of its own) shows where the
  // "}" belongs. That block and those after it at its level are taken out as
  // weapons of their own, so that they are still checked and counted.
  void unclosedAtEnd(std::size_t unclosed) {
    std::size_t from = doc_.blocks.size() - 1;
    for (std::size_t n = 0; n < unclosed; ++n) {
      TdfBlock* parent = nullptr;
      std::size_t at = 0, i = from;
      while (i < doc_.blocks.size() && !findSwallowed(doc_.blocks[i], parent, at)) ++i;
      if (!parent) {
        if (n > 0) return;
        const TdfBlock& outer = doc_.blocks.back();
        report(outer.at, check::kUnclosedBlock,
               "block " + bracketed(outer.name) + " is still open at the end of the file: a '}' is missing");
        return;
      }
      report(parent->at, check::kUnclosedBlock,
             "block " + bracketed(parent->name) + " is not closed before " + bracketed(parent->blocks[at].name) +
                 " at line " + std::to_string(parent->blocks[at].at.line) +
                 ": a '}' is missing, and the game reads that weapon as part of it");
      std::vector<TdfBlock> moved(std::make_move_iterator(parent->blocks.begin() + static_cast<std::ptrdiff_t>(at)),
                                  std::make_move_iterator(parent->blocks.end()));
      parent->blocks.resize(at);
      for (TdfBlock& b : moved) b.swallowed = true;
      doc_.blocks.insert(doc_.blocks.begin() + static_cast<std::ptrdiff_t>(i + 1),
                         std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()));
      from = i + 1;
    }
  }

  static bool looksLikeWeapon(const TdfBlock& b) {
    for (const TdfPair& p : b.pairs)
      if (compareFolded(p.key, "id") == 0) return true;
    for (const TdfBlock& inner : b.blocks)
      if (compareFolded(inner.name, "damage") == 0) return true;
    return false;
  }

  // The first block below `block` (in file order) that looks like a weapon,
  // as the index `at` into the blocks of `parent`.
  static bool findSwallowed(TdfBlock& block, TdfBlock*& parent, std::size_t& at) {
    for (std::size_t k = 0; k < block.blocks.size(); ++k) {
      if (looksLikeWeapon(block.blocks[k])) return parent = &block, at = k, true;
      if (findSwallowed(block.blocks[k], parent, at)) return true;
    }
    return false;
  }

  void closeBlock() {
    TdfBlock done = std::move(open_.back());
    open_.pop_back();
    (open_.empty() ? doc_.blocks : open_.back().blocks).push_back(std::move(done));
  }

  // Where a run of text that is no pair ends: at the line end, a comment,
  // a bracket or a brace, just after a ";".
  std::size_t strayEnd() const {
    std::size_t p = pos_;
    while (p < text_.size()) {
      const char c = text_[p];
      if (isLineEndByte(c) || c == '[' || c == '{' || c == '}' || commentAt(p)) break;
      ++p;
      if (c == ';') break;
    }
    return p;
  }

  // Reports stray text once for a run of lines one after another.
  void stray(const CheckInfo& check, std::string message) {
    if (line_ > lastStrayLine_ + 1) report(here(), check, std::move(message));
    lastStrayLine_ = line_;
  }

  void textOutside() {
    const std::size_t end = strayEnd();
    stray(check::kTextOutsideBlock, "text outside any block: " + quoted(trimmed(text_.substr(pos_, end - pos_))));
    pos_ = end;
  }

  void pair() {
    const TdfPosition start = here();
    const std::optional<PairCut> cut = cutPair(text_, pos_);
    if (!cut) {
      const std::size_t end = strayEnd();
      stray(check::kStrayText, quoted(trimmed(text_.substr(pos_, end - pos_))) + " is not a key=value; pair");
      pos_ = end;
      return;
    }
    const std::string_view key = text_.substr(cut->key, cut->keyEnd - cut->key);
    if (how_.valuesSpanLines) return spanningValue(key, start, cut->eq + 1);
    open_.back().pairs.push_back({key, text_.substr(cut->value, cut->valueEnd - cut->value), start});
    if (cut->semicolon) {
      pos_ = cut->stop + 1;
      return;
    }
    const std::size_t valueEnd = cut->valueEnd;
    report(at(valueEnd), check::kMissingSemicolon,
           quoted(text_.substr(pos_, valueEnd - pos_)) + " has no ';': the game reads on into what follows");
    pos_ = cut->stop;
  }

  // Whether the line that starts at `p` opens with a header or a brace.
  bool lineStartsBlock(std::size_t p) const {
    while (p < text_.size() && isPairBlank(text_[p])) ++p;
    return p < text_.size() && (text_[p] == '[' || text_[p] == '{' || text_[p] == '}');
  }

  // A value from `from` to its ";", over line ends.
  void spanningValue(std::string_view key, TdfPosition start, std::size_t from) {
    std::size_t q = from;
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
    std::size_t begin = from, end = q;
    const auto space = [](char c) { return isPairBlank(c) || isLineEndByte(c); };
    while (begin < end && space(text_[begin])) ++begin;
    while (end > begin && space(text_[end - 1])) --end;
    open_.back().pairs.push_back({key, text_.substr(begin, end - begin), start});
    if (q < text_.size() && text_[q] == ';') {
      pos_ = q + 1;
      return;
    }
    std::size_t valueEnd = q;
    while (valueEnd > lineStart_ && isPairBlank(text_[valueEnd - 1])) --valueEnd;
    report(at(valueEnd), check::kMissingSemicolon,
           quoted(key) + " has no ';': the value runs to " +
               (q < text_.size() ? quoted(text_.substr(q, 1)) : "the end of the file"));
    pos_ = q;
  }

  std::string_view text_;
  const std::string& file_;
  std::vector<Finding>& findings_;
  TdfReading how_;
  std::size_t pos_ = 0;
  std::size_t lineStart_ = 0;
  int line_ = 1;
  int lastStrayLine_ = -2;
  std::vector<TdfBlock> open_;  // the blocks open at pos_, innermost last
  std::size_t untracked_ = 0;   // blocks open beyond the deepest kept
  bool reportedDeep_ = false;
  bool pending_ = false;  // a header read, its "{" not yet
  TdfBlock pendingBlock_;
  TdfDocument doc_;
};

}  // namespace

TdfDocument readTdf(std::string_view text, const std::string& file, std::vector<Finding>& findings, TdfReading how) {
  return Reader(text, file, findings, how).run();
}

}  // namespace qm
