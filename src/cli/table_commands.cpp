// The weapons table on the command line: table and diff.
#include <algorithm>
#include <array>

#include "catalogue/parallel.h"
#include "catalogue/scan.h"
#include "catalogue/weapon_table.h"
#include "cli/command.h"
#include "platform/files.h"
#include "presentation/weapon_columns.h"
#include "text/text.h"

namespace qm {

namespace {

bool isAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Weapon bytes as UTF-8, appended.
void appendUtf8(std::string& out, std::string_view bytes) {
  if (isAscii(bytes))
    out.append(bytes);
  else
    out += cp1252ToUtf8(bytes);
}

// Whether a TSV value needs more than copying: a TAB, a backslash or a byte
// outside ASCII.
bool plainTsv(std::string_view bytes) {
  static constexpr auto kSpecial = [] {
    std::array<bool, 256> special{};
    special['\t'] = special['\\'] = true;
    for (int c = 0x80; c < 0x100; ++c) special[c] = true;
    return special;
  }();
  bool special = false;
  for (char c : bytes) special |= kSpecial[static_cast<unsigned char>(c)];
  return !special;
}

// A TSV value: TAB and backslash written as "\t" and "\\". The most
// values are plain, copied as they are.
void appendTsv(std::string& out, std::string_view bytes) {
  if (plainTsv(bytes)) return void(out.append(bytes));
  std::string escaped;
  for (char c : bytes) {
    if (c == '\t')
      escaped += "\\t";
    else if (c == '\\')
      escaped += "\\\\";
    else
      escaped += c;
  }
  appendUtf8(out, escaped);
}

void appendCsv(std::string& out, std::string_view bytes) {
  appendCsvField(out, isAscii(bytes) ? std::string(bytes) : cp1252ToUtf8(bytes));
}

std::vector<Column> columnsOf(const std::optional<std::string>& fields) {
  if (!fields) return defaultColumns();
  std::vector<Column> out{*columnNamed("entry")};
  std::string_view list = *fields;
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    const auto column = columnNamed(name);
    if (!column || column->kind == Column::Kind::Entry)
      throw UsageError("unknown field \"" + std::string(name) + "\" in --fields");
    out.push_back(*column);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return out;
}

// The rows of the table as TSV or CSV lines, written in batches made two at
// a time on two threads, each into a buffer of its own, and written in order.
class DelimitedRows {
 public:
  DelimitedRows(const WeaponTable& table, const std::vector<Column>& columns, bool viewing, bool csv)
      : table_(table), columns_(columns), viewing_(viewing), csv_(csv) {
    needsDamage_ = std::any_of(columns.begin(), columns.end(), [](const Column& c) { return c.needsDamage(); });
    slots_.assign(columns.size(), kNoSlot);
    sources_.assign(columns.size(), Source::Text);
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const Column& c = columns[i];
      if (c.kind != Column::Kind::Field || viewing) continue;
      slots_[i] = fieldByNumber(c.field).slot;
      sources_[i] = slots_[i] != kNoSlot ? Source::Stored : Source::DamageList;
    }
  }

  std::string header() const {
    std::string text;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (i) text += sep();
      append(text, columns_[i].name);
    }
    return text + lineEnd();
  }

  void write(std::ostream& out) const {
    const std::string head = header();
    out.write(head.data(), static_cast<std::streamsize>(head.size()));
    // Two batches at a time, side by side; a batch's text fits in one large
    // page, reused from batch to batch.
    constexpr std::size_t kBatch = 2048;
    Scratch scratch[2];
    for (Scratch& s : scratch) platform::reserveLarge(s.text, std::size_t{2} << 20);
    for (std::size_t at = 0; at < table_.size(); at += 2 * kBatch) {
      forEachOnThreads(2, [&](std::size_t i, std::size_t) {
        const std::size_t from = std::min(at + i * kBatch, table_.size());
        rows(from, std::min(from + kBatch, table_.size()), scratch[i]);
      });
      for (const Scratch& s : scratch) out.write(s.text.data(), static_cast<std::streamsize>(s.text.size()));
    }
  }

 private:
  // What each column prints: a stored value, the damage list, or another text.
  enum class Source { Stored, DamageList, Text };
  struct Scratch {
    std::string text;
    std::vector<std::string_view> parts;
    std::vector<std::string> damage;
    std::string joined;
  };

  char sep() const { return csv_ ? ',' : '\t'; }
  const char* lineEnd() const { return csv_ ? "\r\n" : "\n"; }
  void append(std::string& out, std::string_view value) const { csv_ ? appendCsv(out, value) : appendTsv(out, value); }

  void rows(std::size_t from, std::size_t to, Scratch& s) const {
    s.text.clear();
    for (std::size_t row = from; row < to; ++row) {
      const SlotValues values = table_.values(row);
      if (needsDamage_) table_.damageParts(row, s.parts);
      bool damageCopied = false;
      for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (i) s.text += sep();
        switch (sources_[i]) {
          case Source::Stored:
            append(s.text, values[slotIndex(slots_[i])]);
            break;
          case Source::DamageList:
            s.joined.clear();
            for (std::string_view entry : s.parts) {
              if (!s.joined.empty()) s.joined += ' ';
              s.joined.append(entry);
            }
            append(s.text, s.joined);
            break;
          case Source::Text:
            if (needsDamage_ && !damageCopied) s.damage.assign(s.parts.begin(), s.parts.end()), damageCopied = true;
            append(s.text, cellText(table_, row, columns_[i], viewing_, s.damage));
            break;
        }
      }
      s.text += lineEnd();
    }
  }

  const WeaponTable& table_;
  const std::vector<Column>& columns_;
  bool viewing_, csv_, needsDamage_ = false;
  std::vector<Slot> slots_;
  std::vector<Source> sources_;
};

void writeJsonRows(const WeaponTable& table, const std::vector<Column>& columns, bool viewing, std::ostream& out) {
  const bool needsDamage = std::any_of(columns.begin(), columns.end(), [](const Column& c) { return c.needsDamage(); });
  out << "[\n";
  const std::vector<std::string> none;
  for (std::size_t row = 0; row < table.size(); ++row) {
    const std::vector<std::string> damage = needsDamage ? table.damage(row) : none;
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const Column& c : columns) {
      if (c.kind == Column::Kind::Field && c.field == kDamageField) {
        nlohmann::ordered_json entries = nlohmann::ordered_json::array();
        if (table.found(row))
          for (const std::string& e : damage) entries.push_back(cp1252ToUtf8(e));
        object[c.name] = std::move(entries);
      } else {
        object[c.name] = cp1252ToUtf8(cellText(table, row, c, viewing, damage));
      }
    }
    out << "  ";
    writeJsonInline(out, object);
    out << (row + 1 < table.size() ? ",\n" : "\n");
  }
  out << "]\n";
}

}  // namespace

Command::Run declareTable(CLI::App& sub) {
  struct Args {
    std::optional<std::string> fields;
    bool viewing = false;
    std::string format = "tsv";
  };
  auto a = std::make_shared<Args>();
  sub.add_option("--fields", a->fields,
                 "Comma-separated columns: keys, [NAME], [DAMAGE], dps, damage.UNIT (default: all 66 fields)")
      ->type_name("LIST");
  sub.add_flag("--viewing", a->viewing, "Viewing Mode texts instead of the values as written");
  sub.add_option("--format", a->format, "tsv (default), csv or json")
      ->type_name("FORMAT")
      ->check(CLI::IsMember({"tsv", "csv", "json"}));
  return [a](Session& session) {
    const std::vector<Column> columns = columnsOf(a->fields);
    MainWindowState& window = session.window();
    const WeaponTable table(window.weaponList().entries(), window.searchList());
    if (a->format == "json")
      writeJsonRows(table, columns, a->viewing, session.out);
    else
      DelimitedRows(table, columns, a->viewing, a->format == "csv").write(session.out);
    return 0;
  };
}

Command::Run declareDiff(CLI::App& sub) {
  struct Args {
    std::string a, b;
    bool json = false;
  };
  auto a = std::make_shared<Args>();
  sub.add_option("NAME1", a->a, "The first weapon's bracket name")->type_name("NAME1")->required();
  sub.add_option("NAME2", a->b, "The second weapon's bracket name")->type_name("NAME2")->required();
  sub.add_flag("--json", a->json, "Print one JSON object");
  return [a](Session& session) {
    // Each weapon as `show` loads it: a search of its own, from the start.
    const std::vector<WeaponFilePtr> files = session.window().searchList();
    CurrentWeapon weapons[2];
    for (int i = 0; i < 2; ++i) {
      bool damageCarry = false;
      if (!loadWeapon(utf8ToCp1252(i == 0 ? a->a : a->b), files, weapons[i], damageCarry).found) {
        session.err << kMsgNotFound << '\n';
        return 2;
      }
    }
    const std::vector<Difference> differences = qm::differences(weapons[0], weapons[1]);
    if (a->json) {
      nlohmann::ordered_json list = nlohmann::ordered_json::array();
      for (const Difference& d : differences)
        list.push_back({{"key", cp1252ToUtf8(d.key)}, {"a", cp1252ToUtf8(d.a)}, {"b", cp1252ToUtf8(d.b)}});
      writeJson(session.out, {{"differences", list}});
    } else {
      std::string text;
      for (const Difference& d : differences) {
        appendTsv(text, d.key);
        text += '\t';
        appendTsv(text, d.a);
        text += '\t';
        appendTsv(text, d.b);
        text += '\n';
      }
      text += std::to_string(differences.size()) + " fields differ\n";
      session.out << text;
    }
    return differences.empty() ? 0 : 1;
  };
}

}  // namespace qm
