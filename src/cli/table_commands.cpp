// The weapons table on the command line: table and diff.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "text/simd.h"

#include "catalogue/scan.h"
#include "catalogue/weapon_table.h"
#include "checks/known_keys.h"
#include "cli/command.h"
#include "platform/memory.h"
#include "platform/padded_bytes.h"
#include "platform/parallel.h"
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

// Whether a value is written as it is: for TSV, neither a TAB, a backslash
// nor a byte outside ASCII; for CSV, none of a comma, a quote, a line end or
// a byte outside ASCII.
template <char... kSpecial>
bool plainAs(std::string_view bytes) {
  static constexpr auto kTable = [] {
    std::array<bool, 256> special{};
    ((special[static_cast<unsigned char>(kSpecial)] = true), ...);
    for (int c = 0x80; c < 0x100; ++c) special[c] = true;
    return special;
  }();
  bool special = false;
  for (char c : bytes) special |= kTable[static_cast<unsigned char>(c)];
  return !special;
}

// A TSV value: TAB and backslash written as "\t" and "\\".
void appendTsv(std::string& out, std::string_view bytes) {
  if (plainAs<'\t', '\\'>(bytes)) return void(out.append(bytes));
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
    if (!column || column->kind == Column::Kind::Entry) {
      std::string message = "unknown field \"" + std::string(name) + "\" in --fields";
      // A likely misspelling of a field's key is named.
      if (const std::string_view near = nearestWeaponKey(toLower(name)); !near.empty() && columnNamed(near))
        message += " (did you mean \"" + std::string(near) + "\"?)";
      throw UsageError(message);
    }
    out.push_back(*column);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return out;
}

// Text made piece by piece into room kept from use to use.
class TextBuffer {
 public:
  void clear() { used_ = 0; }
  std::string_view text() const { return {room_.data(), used_}; }
  // Room for at least `n` bytes at the end of the text, to be written from
  // `at` on and then given back with close(): a writer that keeps its own
  // place checks the room once for many bytes. (The text's length, kept in
  // memory, might be any byte written, so a writer going through put() has
  // it read back after every byte.)
  struct WriteSpan {
    char* at;
    char* end;
  };
  WriteSpan open(std::size_t n) { return {reserve(n), room_.data() + size_}; }
  void close(const char* at) { used_ = static_cast<std::size_t>(at - room_.data()); }
  void put(char c) { *reserve(1) = c, ++used_; }
  void put(std::string_view bytes) {
    if (bytes.empty()) return;
    std::memcpy(reserve(bytes.size()), bytes.data(), bytes.size());
    used_ += bytes.size();
  }

 private:
  char* reserve(std::size_t n) {
    if (size_ - used_ < n) {
      const std::size_t size = std::max({2 * size_, used_ + n, std::size_t{2} << 20});
      std::vector<char, platform::LargeAllocator<char>> room(size);
      if (used_) std::memcpy(room.data(), room_.data(), used_);
      room_.swap(room);
      size_ = size;
    }
    return room_.data() + used_;
  }
  // In large pages: a fresh megabyte costs one page fault, not 256.
  std::vector<char, platform::LargeAllocator<char>> room_;
  std::size_t size_ = 0, used_ = 0;
};

// The rows of the table as TSV or CSV lines, made in batches on two threads,
// each into room of its own, and written in order.
class DelimitedRows {
 public:
  DelimitedRows(const WeaponTable& table, const std::vector<Column>& columns, bool viewing, bool csv)
      : table_(table), columns_(columns), viewing_(viewing), csv_(csv) {
    needsDamage_ = std::any_of(columns.begin(), columns.end(), [](const Column& c) { return c.needsDamage(); });
    slots_.assign(columns.size(), kNoSlot);
    sources_.assign(columns.size(), Source::Text);
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const Column& c = columns[i];
      if (c.kind == Column::Kind::Entry) sources_[i] = Source::Entry;
      if (c.kind != Column::Kind::Field || viewing) continue;
      slots_[i] = fieldByNumber(c.field).slot;
      sources_[i] = slots_[i] != kNoSlot ? Source::Stored : Source::DamageList;
    }
  }

  void write(std::ostream& out) const {
    TextBuffer head;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (i) head.put(sep());
      append(head, columns_[i].name);
    }
    head.put(lineEnd());
    writeText(out, head.text());
    // Batches made side by side, each into room reused from batch to batch,
    // and written in order as soon as each is made.
    constexpr std::size_t kBatch = 1024, kPlaces = 4;
    Scratch scratch[kPlaces];
    platform::makeInOrder((table_.size() + kBatch - 1) / kBatch, kPlaces,
                          [&](std::size_t batch, std::size_t place) {
                            rows(batch * kBatch, std::min((batch + 1) * kBatch, table_.size()), scratch[place]);
                          },
                          [&](std::size_t, std::size_t place) { writeText(out, scratch[place].text.text()); });
  }

 private:
  // What each column prints: a stored value, the damage list, the entry, or
  // another text.
  enum class Source { Stored, DamageList, Entry, Text };
  struct Scratch {
    TextBuffer text;
    TableRow row;
    std::string joined;
  };

  static void writeText(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  char sep() const { return csv_ ? ',' : '\t'; }
  std::string_view lineEnd() const { return csv_ ? "\r\n" : "\n"; }
  // A value, as TSV or CSV writes it: most are written as they are.
  void append(TextBuffer& out, std::string_view value) const {
    if (csv_ ? plainAs<',', '"', '\r', '\n'>(value) : plainAs<'\t', '\\'>(value)) return out.put(value);
    std::string text;
    csv_ ? appendCsv(text, value) : appendTsv(text, value);
    out.put(text);
  }

  // Writes a value of at most 32 bytes that is written as it is at `at`,
  // with sixteen-byte loads and stores, and returns true; returns false for
  // any other value. A value of up to 16 bytes is one load, and a longer one
  // two, reading past its end.
#if defined(QM_SSE2)
  bool putShortUnescaped(platform::PaddedView value, char*& at) const {
    static_assert(platform::kReadPast >= 16, "a value is loaded sixteen bytes at a time");
    const std::size_t n = value.size();
    if (n == 0 || n > 32) return false;
    const auto unwritten = [this](__m128i bytes) {
      const auto is = [&bytes](char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
      const __m128i special = csv_ ? _mm_or_si128(_mm_or_si128(is(','), is('"')), _mm_or_si128(is('\r'), is('\n')))
                                   : _mm_or_si128(is('\t'), is('\\'));
      // A byte outside ASCII has its top bit set.
      return static_cast<unsigned>(_mm_movemask_epi8(special) | _mm_movemask_epi8(bytes));
    };
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(value.data()));
    if (n <= 16) {
      if (unwritten(low) & ((1u << n) - 1)) return false;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(at), low);
    } else {
      const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(value.data() + 16));
      if ((unwritten(low) | (unwritten(high) & ((1u << (n - 16)) - 1)) << 16) != 0) return false;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(at), low);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 16), high);
    }
    at += n;
    return true;
  }
#endif

  // How many rows ahead a row's block is asked for.
  static constexpr std::size_t kAhead = 4;

  void rows(std::size_t from, std::size_t to, Scratch& s) const {
    // Room for a separator and a short value, or a line end.
    constexpr std::size_t kRoom = 48;
    s.text.clear();
    for (std::size_t row = from; row < to; ++row) {
      table_.prefetch(row + kAhead);
      s.row.read(table_, row, needsDamage_);
#if defined(QM_SSE2)
      // Where the row's values and its entry lie, with room to read past them.
      const platform::PaddedView file = s.row.found ? table_.fileBytes(row) : platform::PaddedView();
      const platform::PaddedView entries = table_.entryTexts();
#endif
      TextBuffer::WriteSpan out = s.text.open(kRoom);
      // Any other value is written through the room's own put().
      const auto append = [&](std::string_view value) {
        s.text.close(out.at);
        this->append(s.text, value);
        out = s.text.open(kRoom);
      };
      for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (out.end - out.at < static_cast<std::ptrdiff_t>(kRoom)) {
          s.text.close(out.at);
          out = s.text.open(kRoom);
        }
        if (i) *out.at++ = sep();
        switch (sources_[i]) {
          case Source::Stored: {
            const std::string_view value = s.row.values[slotIndex(slots_[i])];
#if defined(QM_SSE2)
            if (putShortUnescaped(file.part(value), out.at)) break;
#endif
            append(value);
            break;
          }
          case Source::DamageList:
            s.joined.clear();
            for (std::string_view entry : s.row.damage) {
              if (!s.joined.empty()) s.joined += ' ';
              s.joined.append(entry);
            }
            append(s.joined);
            break;
          case Source::Entry:
#if defined(QM_SSE2)
            if (putShortUnescaped(entries.part(s.row.entry), out.at)) break;
#endif
            append(s.row.entry);
            break;
          case Source::Text:
            append(cellText(s.row, columns_[i], viewing_));
            break;
        }
      }
      if (out.end - out.at < 2) {
        s.text.close(out.at);
        out = s.text.open(kRoom);
      }
      if (csv_) *out.at++ = '\r';
      *out.at++ = '\n';
      s.text.close(out.at);
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
  TableRow read;
  for (std::size_t row = 0; row < table.size(); ++row) {
    read.read(table, row, needsDamage);
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const Column& c : columns) {
      if (c.kind == Column::Kind::Field && c.field == kDamageField) {
        nlohmann::ordered_json entries = nlohmann::ordered_json::array();
        for (std::string_view e : read.damage) entries.push_back(cp1252ToUtf8(e));
        object[c.name] = std::move(entries);
      } else {
        object[c.name] = cp1252ToUtf8(cellText(read, c, viewing));
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
    bool units = false;
    std::string engine = "auto";
  };
  auto a = std::make_shared<Args>();
  sub.add_flag("--units", a->units, "One row per unit instead of per listed weapon");
  addEngineOption(sub, a->engine);
  sub.add_option("--fields", a->fields,
                 "Comma-separated columns: keys, [NAME], [DAMAGE], dps, damage.UNIT (default: all 66 fields)")
      ->type_name("LIST");
  sub.add_flag("--viewing", a->viewing, "Viewing Mode texts instead of the values as written");
  sub.add_option("--format", a->format, "tsv (default), csv or json")
      ->type_name("FORMAT")
      ->check(CLI::IsMember({"tsv", "csv", "json"}));
  return [a](CommandContext& context) {
    if (a->units) return runUnitsTable(context, a->fields, a->format, a->engine);
    const std::vector<Column> columns = columnsOf(a->fields);
    MainWindowState& window = context.window();
    const WeaponTable table(window.weaponList().entries(), window.searchList(), nullptr, WeaponTable::Values::OnRequest,
                            window.fileStore());
    if (a->format == "json")
      writeJsonRows(table, columns, a->viewing, context.out);
    else
      DelimitedRows(table, columns, a->viewing, a->format == "csv").write(context.out);
    return 0;
  };
}

Command::Run declareDiff(CLI::App& sub) {
  struct Args {
    std::string a, b;
    bool json = false;
    bool units = false;
    std::string engine = "auto";
  };
  auto a = std::make_shared<Args>();
  sub.add_flag("--units", a->units, "Compare two units instead of two weapons");
  addEngineOption(sub, a->engine);
  sub.add_option("NAME1", a->a, "The first weapon's bracket name")->type_name("NAME1")->required();
  sub.add_option("NAME2", a->b, "The second weapon's bracket name")->type_name("NAME2")->required();
  sub.add_flag("--json", a->json, "Print one JSON object");
  return [a](CommandContext& context) {
    if (a->units) return runUnitsDiff(context, a->a, a->b, a->json, a->engine);
    // Each weapon as `show` loads it: a search of its own, from the start.
    const std::vector<WeaponFilePtr> files = context.window().searchList();
    CurrentWeapon weapons[2];
    for (int i = 0; i < 2; ++i) {
      bool damageCarry = false;
      if (!loadWeapon(utf8ToCp1252(i == 0 ? a->a : a->b), files, weapons[i], damageCarry).found) {
        context.err << kMsgNotFound << '\n';
        return 2;
      }
    }
    const std::vector<Difference> differences = qm::differences(weapons[0], weapons[1]);
    if (a->json) {
      nlohmann::ordered_json list = nlohmann::ordered_json::array();
      for (const Difference& d : differences)
        list.push_back({{"key", cp1252ToUtf8(d.key)}, {"a", cp1252ToUtf8(d.a)}, {"b", cp1252ToUtf8(d.b)}});
      writeJson(context.out, {{"differences", list}});
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
      context.out << text;
    }
    return differences.empty() ? 0 : 1;
  };
}

}  // namespace qm
