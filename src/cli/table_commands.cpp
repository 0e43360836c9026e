// The weapons table on the command line: table and diff.
#include <algorithm>

#include "catalogue/scan.h"
#include "catalogue/weapon_table.h"
#include "cli/command.h"
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

// A TSV value: TAB and backslash written as "\t" and "\\".
void appendTsv(std::string& out, std::string_view bytes) {
  if (bytes.find_first_of("\t\\") == std::string_view::npos) return appendUtf8(out, bytes);
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

// Whether a TSV value needs more than copying: a TAB, a backslash or a byte
// outside ASCII.
bool plainTsv(std::string_view bytes) {
  for (char c : bytes)
    if (c == '\t' || c == '\\' || static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

void writeDelimited(const WeaponTable& table, const std::vector<Column>& columns, bool viewing, bool csv,
                    std::ostream& out) {
  const auto append = csv ? appendCsv : appendTsv;
  const char* const lineEnd = csv ? "\r\n" : "\n";
  const char sep = csv ? ',' : '\t';
  const bool needsDamage = std::any_of(columns.begin(), columns.end(), [](const Column& c) { return c.needsDamage(); });
  // What each column prints: a stored value, the damage list, or another text.
  enum class Source { Stored, DamageList, Text };
  std::vector<Slot> slots(columns.size(), kNoSlot);
  std::vector<Source> sources(columns.size(), Source::Text);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const Column& c = columns[i];
    if (c.kind != Column::Kind::Field || viewing) continue;
    slots[i] = fieldByNumber(c.field).slot;
    sources[i] = slots[i] != kNoSlot ? Source::Stored : Source::DamageList;
  }
  std::string text;
  text.reserve(2u << 20);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i) text += sep;
    append(text, columns[i].name);
  }
  text += lineEnd;
  // Plain TSV values, the most of them, are copied as they are.
  const auto put = [&](std::string_view value) {
    if (!csv && plainTsv(value))
      text.append(value);
    else
      append(text, value);
  };
  std::vector<std::string_view> parts;
  std::vector<std::string> damage;
  std::string joined;
  for (std::size_t row = 0; row < table.size(); ++row) {
    if (needsDamage) table.damageParts(row, parts);
    bool damageCopied = false;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i) text += sep;
      switch (sources[i]) {
        case Source::Stored:
          put(table.value(row, slots[i]));
          break;
        case Source::DamageList:
          joined.clear();
          for (std::string_view entry : parts) {
            if (!joined.empty()) joined += ' ';
            joined.append(entry);
          }
          put(joined);
          break;
        case Source::Text:
          if (needsDamage && !damageCopied) damage.assign(parts.begin(), parts.end()), damageCopied = true;
          put(cellText(table, row, columns[i], viewing, damage));
          break;
      }
    }
    text += lineEnd;
    if (text.size() > (1u << 20)) {
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      text.clear();
    }
  }
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

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
      writeDelimited(table, columns, a->viewing, a->format == "csv", session.out);
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
