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

// Builds the block tree and the findings from what the game's walk meets.
class Reader {
 public:
  Reader(std::string_view text, const std::string& file, std::vector<Finding>& findings, TdfReading how)
      : text_(text), file_(file), findings_(findings), how_(how) {}

  TdfDocument run() {
    const WalkPlace end = GameWalk<Reader>(text_, *this, {how_.valuesSpanLines, kDeepestBlock}).walk();
    if (pending_) missingBrace();
    if (!open_.empty()) {
      const std::size_t unclosed = open_.size();
      while (!open_.empty()) {
        open_.back().end = position(end);
        closeBlock();
      }
      unclosedAtEnd(unclosed);
    }
    return std::move(doc_);
  }

  // What the walk meets, in file order.
  void lineEnd(const WalkPlace&) {}
  void comment(const WalkPlace&, bool) {}

  // The weapon list reads lines and knows nothing of comments (kListGrammar).
  void commentedLine(const WalkPlace& at, std::string_view line) {
    if (isListedHeader(line))
      report(position(at), check::kBlockInComment,
             "the weapon list shows " + quoted(line) + " although it is inside a /* */ comment");
  }
  void unclosedComment(const WalkPlace& start) {
    report(position(start), check::kUnclosedComment, "a /* comment is never closed");
  }

  void header(const WalkedHeader& h) {
    const TdfPosition start = position(h.at);
    if (pending_) missingBrace();
    pending_ = true;
    pendingBlock_ = TdfBlock{};
    pendingBlock_.at = start;
    if (!h.closed) {
      pendingBlock_.name = trimmed(h.name);
      report(start, check::kUnclosedHeader,
             "the header " + quoted('[' + std::string(pendingBlock_.name)) + " has no ']'");
      return;
    }
    pendingBlock_.name = h.name;

    // How the weapon list sees it (kListGrammar): a header starts its line,
    // and the listed name is the line less its first and last byte.
    if (h.startsLine && !open_.empty() && isListedHeader(h.line)) {
      report(start, check::kListedSubBlock,
             "the weapon list shows the sub-block " + bracketed(pendingBlock_.name) +
                 " as a weapon, because its header starts the line");
    } else if (h.startsLine && open_.empty() && h.textAfter) {
      report(position(h.after), check::kTextAfterHeader,
             "text after ']': the weapon list shows the name " + quoted(bracketNameOf(h.line)) +
                 " and cannot load that weapon");
    } else if (!h.startsLine && open_.empty()) {
      report(start, check::kIndentedHeader,
             "the weapon list does not show " + bracketed(pendingBlock_.name) +
                 ", because its header does not start the line");
    }
  }

  void opening(const WalkPlace& at, std::size_t depth) {
    if (depth >= kDeepestBlock) {
      if (!reportedDeep_)
        report(position(at), check::kDeepNesting, "blocks nested more than " + std::to_string(kDeepestBlock) + " deep");
      reportedDeep_ = true;
      pending_ = false;
      return;
    }
    if (pending_) {
      open_.push_back(std::move(pendingBlock_));
      open_.back().pairs.reserve(open_.size() == 1 ? std::max<std::size_t>(64, how_.pairsHint) : 8);
      pending_ = false;
    } else {
      report(position(at), check::kMissingHeader, "'{' without a [NAME] header before it");
      open_.push_back(TdfBlock{{}, position(at), {}, {}, {}, false});
    }
  }

  void closing(const WalkPlace& at, std::size_t depth) {
    if (pending_) missingBrace();
    if (depth > kDeepestBlock) return;  // a block read for its braces only
    if (depth == 0) return report(position(at), check::kUnmatchedBrace, "'}' with no block open");
    open_.back().end = position(at);
    closeBlock();
  }

  void emptyStatement(const WalkPlace&) {
    if (pending_) missingBrace();
  }

  void stray(const WalkPlace& at, std::string_view run, StrayText why) {
    if (pending_) missingBrace();
    if (why == StrayText::Outside)
      reportStray(at, check::kTextOutsideBlock, "text outside any block: " + quoted(trimmed(run)));
    else if (why == StrayText::NoPair)
      reportStray(at, check::kStrayText, quoted(trimmed(run)) + " is not a key=value; pair");
  }

  void pair(const PairCut& cut, const WalkPlace& at, const WalkPlace& end) {
    if (pending_) missingBrace();
    const std::string_view key = text_.substr(cut.key, cut.keyEnd - cut.key);
    open_.back().pairs.push_back({key, text_.substr(cut.value, cut.valueEnd - cut.value), position(at)});
    if (cut.semicolon) return;
    if (!how_.valuesSpanLines)
      return report(
          position(end), check::kMissingSemicolon,
          quoted(text_.substr(cut.key, cut.valueEnd - cut.key)) + " has no ';': the game reads on into what follows");
    report(position(end), check::kMissingSemicolon,
           quoted(key) + " has no ';': the value runs to " +
               (cut.stop < text_.size() ? quoted(text_.substr(cut.stop, 1)) : "the end of the file"));
  }

 private:
  static TdfPosition position(const WalkPlace& at) { return {at.line, at.column}; }
  std::string bracketed(std::string_view name) const { return quoted('[' + std::string(name) + ']'); }

  void report(TdfPosition where, const CheckInfo& check, std::string message) {
    findings_.push_back(finding(check, file_, where.line, where.column, std::move(message)));
  }

  void missingBrace() {
    report(pendingBlock_.at, check::kMissingBrace, bracketed(pendingBlock_.name) + " is not followed by '{'");
    pending_ = false;
  }

  // Reports stray text once for a run of lines one after another.
  void reportStray(const WalkPlace& at, const CheckInfo& check, std::string message) {
    if (at.line > lastStrayLine_ + 1) report(position(at), check, std::move(message));
    lastStrayLine_ = at.line;
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

  std::string_view text_;
  const std::string& file_;
  std::vector<Finding>& findings_;
  TdfReading how_;
  int lastStrayLine_ = -2;
  std::vector<TdfBlock> open_;  // the blocks open where the walk is, innermost last (the deepest kept)
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
