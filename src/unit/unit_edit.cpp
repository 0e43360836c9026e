#include "unit/unit_edit.h"

#include "checks/registry.h"
#include "text/numbers.h"
#include "text/text.h"
#include "unit/unit_checks.h"
#include "unit/unit_fields.h"

namespace qm {

namespace {

bool isWord(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Whether a statement from `begin` (its key) to `end` (just after its ";")
// has its lines to itself: blanks before it, blanks or a comment after.
bool aloneOnLines(std::string_view bytes, std::size_t begin, std::size_t end) {
  const edit::LineSpan first = edit::lineHolding(bytes, begin), last = edit::lineHolding(bytes, end == 0 ? 0 : end - 1);
  for (std::size_t i = first.begin; i < begin; ++i)
    if (!isBlank(bytes[i])) return false;
  std::size_t i = end;
  while (i < last.end && isBlank(bytes[i])) ++i;
  return i == last.end || (i + 1 < last.end && bytes[i] == '/' && bytes[i + 1] == '/');
}

std::size_t statementEnd(const UnitEntry& e) { return e.semicolon ? e.valueEnd + 1 : e.valueEnd; }

class UnitRules : public edit::BlockRules {
 public:
  UnitRules(WeaponFilePtr file, std::string name, Engine engine)
      : file_(std::move(file)), name_(std::move(name)), engine_(engine) {}
  WeaponFilePtr file() const override { return file_; }
  std::optional<std::string> refusal(const edit::Change& change) const override {
    const UnitKeyName name = splitUnitKey(change.key);
    edit::Change plain = change;
    plain.key = std::string(name.key);
    plain.rules = nullptr;
    if (!name.block.empty()) {
      std::string_view path = name.block;
      for (std::size_t dot; !path.empty(); path.remove_prefix(dot == std::string_view::npos ? path.size() : dot + 1)) {
        dot = path.find('.');
        if (!isWord(path.substr(0, dot)))
          return '\'' + cp1252ToUtf8(change.key) + "' is not a key: a key is letters, digits and _, after BLOCK.";
      }
    }
    // A unit's value may run over lines, as a YardMap does; the other bytes
    // that would break the file are refused as in a weapon's.
    for (char& c : plain.value)
      if (c == '\r' || c == '\n') c = ' ';
    if (auto why = edit::checkChange(plain)) return why;
    return std::nullopt;
  }
  std::optional<std::string> apply(std::string& bytes, const edit::Change& change,
                                   std::vector<edit::Splice>& done) const override {
    if (auto why = applyUnitChange(bytes, change, done)) return "the unit " + cp1252ToUtf8(name_) + ": " + *why;
    return std::nullopt;
  }
  std::vector<Finding> check(std::string_view bytes, const std::string& file,
                             const edit::Change& change) const override {
    return checkUnitValue(bytes, file, change.key, engine_);
  }

 private:
  WeaponFilePtr file_;
  std::string name_;
  Engine engine_;
};

void apply(std::string& bytes, std::vector<edit::Splice>& done, edit::Splice s) {
  edit::redoSplice(bytes, s);
  done.push_back(std::move(s));
}

}  // namespace

UnitKeyName splitUnitKey(std::string_view key) {
  const std::size_t dot = key.rfind('.');
  if (dot == std::string_view::npos) return {{}, key};
  return {key.substr(0, dot), key.substr(dot + 1)};
}

std::optional<std::string> applyUnitChange(std::string& bytes, const edit::Change& change,
                                           std::vector<edit::Splice>& done) {
  const UnitFile unit(bytes);
  if (!unit.hasUnitInfo()) return std::string("the file has no [UNITINFO] block");
  if (!unit.structureProblem().empty())
    return "its blocks cannot be made out for sure (" + unit.structureProblem() + "): edit it by hand";
  const UnitKeyName name = splitUnitKey(change.key);
  // The block of the line the game reads the key from; else the last block
  // of that name, as the game takes the later of two.
  std::size_t block = 0;
  if (const UnitEntry* read = unit.find(change.key))
    block = read->block;
  else if (!unit.block(name.block, &block))
    return "it has no block [" + cp1252ToUtf8(name.block) + "]";
  std::vector<const UnitEntry*> lines, level;
  for (const UnitEntry& e : unit.lines()) {
    if (e.block != block) continue;
    level.push_back(&e);
    if (compareFolded(e.key, change.key) == 0) lines.push_back(&e);
  }
  const std::string shown = cp1252ToUtf8(change.key);

  if (change.kind == edit::Change::Kind::Remove) {
    if (lines.empty()) return "it has no key " + shown;
    for (const UnitEntry* e : lines)
      if (!e->semicolon || !aloneOnLines(bytes, e->keyAt, statementEnd(*e)))
        return "the line of " + shown + " holds more than that key: edit it by hand";
    // Every line of the key goes, so that no earlier value comes to count;
    // from the last, so that the offsets of the others stay.
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
      const std::size_t begin = edit::lineHolding(bytes, (*it)->keyAt).begin;
      const std::size_t end = edit::lineHolding(bytes, statementEnd(**it) - 1).next;
      apply(bytes, done, {begin, bytes.substr(begin, end - begin), {}});
    }
    return std::nullopt;
  }

  if (!lines.empty()) {
    // The line the game reads: the last.
    const UnitEntry& e = *lines.back();
    // A value set to the text it has, as the game reads it, changes nothing.
    if (e.value == trimValue(change.value)) return std::nullopt;
    const std::string_view old = std::string_view(bytes).substr(e.valueAt, e.valueEnd - e.valueAt);
    apply(bytes, done, {e.valueAt, std::string(old), change.value + (e.semicolon ? "" : ";")});
    return std::nullopt;
  }
  if (level.empty()) return "its block has no key line to put " + shown + " after: edit it by hand";
  const UnitEntry& anchor = *level.back();
  if (!anchor.semicolon) return "the last key line of its block has no ';': edit it by hand";
  const std::size_t end = statementEnd(anchor);
  if (!aloneOnLines(bytes, anchor.keyAt, end))
    return "the last key line of its block holds more than that key: edit it by hand";
  apply(bytes, done, edit::lineAfterAt(bytes, end - 1, anchor.keyAt, std::string(name.key) + "=" + change.value + ";"));
  return std::nullopt;
}

std::vector<Finding> checkUnitValue(std::string_view bytes, const std::string& file, std::string_view key,
                                    Engine engine) {
  std::vector<Finding> out;
  const UnitFile unit{std::string(bytes)};
  if (const UnitEntry* e = unit.find(key))
    if (auto f = unitLineFinding(*e, unit.bytes(), file, engine)) out.push_back(std::move(*f));
  return out;
}

std::shared_ptr<const edit::BlockRules> unitRules(WeaponFilePtr file, std::string name, Engine engine) {
  return std::make_shared<UnitRules>(std::move(file), std::move(name), engine);
}

}  // namespace qm
