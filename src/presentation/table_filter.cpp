#include "presentation/table_filter.h"

#include <optional>

#include "presentation/values.h"
#include "text/numbers.h"
#include "text/text.h"

namespace qm {

namespace {

struct OpText {
  std::string_view text;
  TableFilter::Op op;
};
// Two-character operators first, so that "<=" is not read as "<".
constexpr OpText kOps[] = {
    {"<=", TableFilter::Op::LessOrEqual}, {">=", TableFilter::Op::GreaterOrEqual},
    {"!=", TableFilter::Op::NotEqual},    {"==", TableFilter::Op::Equal},
    {"<", TableFilter::Op::Less},         {">", TableFilter::Op::Greater},
    {"=", TableFilter::Op::Equal},
};

std::vector<std::string_view> splitWords(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) out.push_back(text.substr(start, i - start));
  }
  return out;
}

// "KEY", an operator and "NUMBER", in one word or in up to three.
std::optional<TableFilter::Comparison> readComparison(std::string_view text, const TableFilter::Names& names) {
  const std::size_t at = text.find_first_of("<>=!");
  if (at == std::string_view::npos || at == 0) return std::nullopt;
  for (const OpText& o : kOps) {
    if (text.compare(at, o.text.size(), o.text) != 0) continue;
    auto name = names(text.substr(0, at));
    const auto number = textToDouble(text.substr(at + o.text.size()));
    if (!name || !number) return std::nullopt;
    return TableFilter::Comparison{std::move(*name), o.op, *number, {}};
  }
  return std::nullopt;
}

// The name of a comparison whose name no column has, with any operator
// but "=" and "==": empty for any other text.
std::string_view unknownFieldOf(std::string_view text, const TableFilter::Names& names) {
  const std::size_t at = text.find_first_of("<>=!");
  if (at == std::string_view::npos || at == 0 || text[at] == '=' || names(text.substr(0, at))) return {};
  for (const OpText& o : kOps)
    if (text.compare(at, o.text.size(), o.text) == 0)
      return textToDouble(text.substr(at + o.text.size())) ? text.substr(0, at) : std::string_view();
  return {};
}

}  // namespace

bool TableFilter::holds(double x, Op op, double n) {
  switch (op) {
    case TableFilter::Op::Less:
      return x < n;
    case TableFilter::Op::LessOrEqual:
      return x <= n;
    case TableFilter::Op::Greater:
      return x > n;
    case TableFilter::Op::GreaterOrEqual:
      return x >= n;
    case TableFilter::Op::Equal:
      return x == n;
    case TableFilter::Op::NotEqual:
      return x != n;
  }
  return false;
}

bool TableFilter::contains(std::string_view hay, std::string_view lowerNeedle) {
  if (lowerNeedle.size() > hay.size()) return false;
  for (std::size_t i = 0; i + lowerNeedle.size() <= hay.size(); ++i)
    if (matchesFoldedAt(hay, i, lowerNeedle)) return true;
  return false;
}

TableFilter::TableFilter(std::string_view text)
    : TableFilter(text, [](std::string_view name) -> std::optional<std::string> {
        if (auto column = columnNamed(name)) return std::move(column->name);
        return std::nullopt;
      }) {
  for (Comparison& c : comparisons_) c.column = *columnNamed(c.name);
}

TableFilter::TableFilter(std::string_view text, const Names& names) {
  const std::vector<std::string_view> words = splitWords(text);
  for (std::size_t i = 0; i < words.size(); ++i) {
    // "range > 600" reads as "range>600", as does "range >600" or "range> 600".
    std::optional<Comparison> c;
    const auto joined = [&](std::size_t n) {
      std::string text;
      for (std::size_t k = 0; k < n; ++k) text += words[i + k];
      return text;
    };
    const std::size_t most = std::min<std::size_t>(3, words.size() - i);
    for (std::size_t n = most; n > 0 && !c; --n)
      if ((c = readComparison(joined(n), names))) i += n - 1;
    // A comparison of a name no column has, the name all in this word.
    for (std::size_t n = 1; n <= most && !c; ++n) {
      const std::string text = joined(n);
      const std::string_view name = unknownFieldOf(text, names);
      if (!name.empty() && name.size() <= words[i].size()) {
        unknownFields_.emplace_back(name);
        break;
      }
    }
    if (c)
      comparisons_.push_back(std::move(*c));
    else
      texts_.push_back(toLower(words[i]));
  }
}

bool TableFilter::accepts(const WeaponTable& table, std::size_t row, bool viewing) const {
  std::optional<std::vector<std::string>> damage;
  const auto damageList = [&]() -> const std::vector<std::string>& {
    if (!damage) damage = table.damage(row);
    return *damage;
  };
  for (const Comparison& c : comparisons_) {
    static const std::vector<std::string> kNone;
    const auto x = cellNumber(table, row, c.column, c.column.needsDamage() ? damageList() : kNone);
    if (!x || !holds(*x, c.op, c.number)) return false;
  }
  for (const std::string& text : texts_) {
    bool found = contains(table.entry(row), text);
    const SlotValues values = table.values(row);
    for (int s = 0; s < kSlotCount && !found; ++s) {
      found = contains(values[s], text) ||
              (viewing && table.found(row) && contains(viewingText(static_cast<Slot>(s), values), text));
    }
    for (std::size_t d = 0; !found && d < damageList().size(); ++d) found = contains(damageList()[d], text);
    if (!found) return false;
  }
  return true;
}

bool TableFilter::accepts(const std::function<std::optional<double>(const Comparison&)>& number,
                          const std::function<bool(std::string_view)>& contains) const {
  for (const Comparison& c : comparisons_) {
    const auto x = number(c);
    if (!x || !holds(*x, c.op, c.number)) return false;
  }
  for (const std::string& text : texts_)
    if (!contains(text)) return false;
  return true;
}

}  // namespace qm
