// The weapons table: every entry's weapon read in one pass agrees with
// loading the entry on its own; the cells, the filter and the commands.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "catalogue/game_files.h"
#include "catalogue/scan.h"
#include "catalogue/weapon_table.h"
#include "cli/cli.h"
#include "cli_run.h"
#include "platform/path_text.h"
#include "presentation/table_filter.h"
#include "presentation/values.h"
#include "test_support.h"
#include "text/text.h"

namespace qm {
namespace {

// Builds the list and the table of `files` (with the values kept, and read
// on request) and checks every row against a load of its entry from a fresh
// start, as `show --index N` loads it; returns the table with the values
// kept.
WeaponTable expectAgreesWithLoader(const std::vector<WeaponFilePtr>& files, const std::string& where,
                                   const WeaponTable* previous = nullptr, std::size_t stride = 1) {
  WeaponList list;
  list.add(scanFiles(files).entries);
  for (const auto values : {WeaponTable::Values::OnRequest, WeaponTable::Values::Kept}) {
    WeaponTable table(list.entries(), files, previous, values);
    const std::string mode = values == WeaponTable::Values::Kept ? " (kept)" : " (on request)";
    EXPECT_EQ(table.size(), list.size()) << where;
    for (std::size_t row = 0; row < table.size(); row += stride) {
      CurrentWeapon loaded;
      bool carry = false;
      const bool found = loadWeapon(list.at(row).name, files, loaded, carry).found;
      EXPECT_EQ(table.found(row), found) << where << mode << " entry " << list.at(row).text;
      if (!found) continue;
      const CurrentWeapon read = table.weapon(row);
      EXPECT_EQ(read.v, loaded.v) << where << mode << " entry " << list.at(row).text;
      EXPECT_EQ(read.damage, loaded.damage) << where << mode << " entry " << list.at(row).text;
      EXPECT_EQ(table.value(row, Slot::Range), loaded[Slot::Range]) << where << mode;
    }
    if (values == WeaponTable::Values::Kept) return table;
  }
  return WeaponTable();
}

// The table of the list of `files`.
WeaponTable tableOf(const std::vector<WeaponFilePtr>& files, WeaponTable::Values values = WeaponTable::Values::Kept) {
  WeaponList list;
  list.add(scanFiles(files).entries);
  return WeaponTable(list.entries(), files, nullptr, values);
}

std::vector<WeaponFilePtr> weaponFiles(const std::vector<std::string>& texts) {
  std::vector<WeaponFilePtr> out;
  for (std::size_t i = 0; i < texts.size(); ++i) out.push_back(memoryFile('f' + std::to_string(i), texts[i]));
  return out;
}

// The block grammar's corners, where one pass over many names could part
// from the search for one name.
TEST(WeaponTableTest, AgreesWithTheLoaderOnEveryEntry) {
  const std::vector<std::vector<std::string>> cases = {
      // a name defined in two files: the later wins; a damage sub-block left
      // open carries into the next block of that name only
      {"[LASER]\n{\nid=2;\n}\n[GUN]\n{\nid=1;\nrange=5;\n[DAMAGE]\n{\ndefault=1;\n",
       "[gun]\n{\nid=3;\nvalk=4;\n}\n[LASER]\n{\nrange=9;\n}\n"},
      // blocks that never close, with headers at the start of lines inside them
      {"[A]\n{\nid=1;\n[B]\n{\nid=2;\nrange=3;\n}\n[DAMAGE]\n{\nx=1;\n", "[B]\n{\nreloadtime=2;\n}\n"},
      // a block inside a block of another name, its name listed only there,
      // a value on its opening line; a header of a name inside its own block
      {"[O]\n{\nid=2;\n[I]\n{range=9;\nid=3;\n}\nrange=4;\n}\n",
       "[N]\n{\nid=1;\n[N]\n{\nrange=2;\n}\nreloadtime=3;\n}\n"},
      // a header that opens on its own line, one cut off before its brace,
      // names holding "]", the empty name, an entry no block matches
      {"[X]{\nid=4;\n}\n[A]B]\n{\nid=5;\n}\n[]\n{\nid=6;\n}\n[C] // note\n{\nid=7;\n}\n[LAST]\n"},
      // line ends of every kind, a weapon called "damage", blank IDs, a line
      // that ends at its "="
      {"[P]\r{\rid=1;\r[DAMAGE]\r{\rdefault=2;\r}\r}\r[damage]\r\n{\r\nid=;\r\n}\r\n[Q]\n\t{\n\tid=8;\nrange=\n\t}\n"},
      // nested headers of the same name and a block inside a sub-block
      {"[N]\n{\n[N]\n{\nid=1;\n}\nrange=2;\n}\n[N]\n{\n{\n[M]\n{\nid=3;\n}\n}\nid=9;\n}\n"},
      // blocks of more than 64 KiB, whose values lie far into them or are
      // that long themselves, before and after short blocks of their names
      {"[W]\n{\nid=1;\n// " + std::string(70000, 'c') + "\nrange=2;\n}\n[V]\n{\nname=" + std::string(70000, 'v') +
           ";\nid=3;\n}\n",
       "[V]\n{\nid=4;\n}\n[W]\n{\n" + std::string(66000, '\n') + "id=5;\n}\n"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i)
    expectAgreesWithLoader(weaponFiles(cases[i]), "case " + std::to_string(i));
}

// Lines a reader that looks only at braces, brackets and "=" could misread:
// braces and brackets past the third character, keys after an early "=" or
// too many tabs, values holding braces, keys in capitals, lines of every
// length about the sixteen and thirty-two bytes read at once, and a file
// that ends inside a key line.
TEST(WeaponTableTest, ReadsEveryKindOfLine) {
  std::string lengths;
  for (int n = 10; n < 40; ++n) lengths += "\tname=" + std::string(static_cast<std::size_t>(n), 'x') + ";\n";
  const std::vector<std::string> cases = {
      "[A]\n{\n\t\t\t{\nrange=1;\n\t\t\t}\nid=2;\n\t\t}\nreloadtime=3;\n}\nrange=4;\n",
      "[B]\n{\n=range=5;\n\t\t\trange=6;\nRANGE=7;\nname=[C] {x};\n[C]\n{\nid=8;\n}\nburst=9;\n}\n",
      "[D]\r\n{\r\n" + lengths + "id=\r\n\tweaponacceleration=12345678901234567890;\r\n}\r\n",
      "[E]\n{\nid=3;\nrange=12",
      "[F]\n\t{\n\t\t[DAMAGE]\n\t\t{\n\t\tdefault=10;\n\t\tARMOR=\t5;\n\t\t}\n\t}\n",
  };
  for (std::size_t i = 0; i < cases.size(); ++i)
    expectAgreesWithLoader(weaponFiles({cases[i]}), "line case " + std::to_string(i));
}

// Many entries of one long block would read it again for each: the table
// reads the values once instead, and gives the same rows.
TEST(WeaponTableTest, KeepsTheValuesWhenReadingAgainCostsTooMuch) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "[LONG]\n{\nid=" + std::to_string(i + 1) + ";\n}\n";
  text += "[LONG]\n{\nrange=5;\n" + std::string(std::size_t{1} << 20, '\n') + "id=99;\n}\n[SHORT]\n{\nid=7;\n}\n";
  const auto files = weaponFiles({text});
  expectAgreesWithLoader(files, "long block");
  EXPECT_TRUE(tableOf(files, WeaponTable::Values::OnRequest).valuesKept());
  EXPECT_FALSE(tableOf(weaponFiles({"[SHORT]\n{\nid=7;\n}\n"}), WeaponTable::Values::OnRequest).valuesKept());
}

// A long list, whose names are indexed while its texts are kept: every row
// has its own entry, name and values, in both ways of having them. One name
// in every hundred has no block.
TEST(WeaponTableTest, LongListsKeepEachRowsEntryAndValues) {
  std::string text;
  for (int i = 0; i < 9000; ++i)
    if (i % 100 != 7)
      text += "[W" + std::to_string(i) + "]\n{\nid=" + std::to_string(1 + i % 255) + ";\nrange=" + std::to_string(i) +
              ";\n}\n";
  for (int i = 7; i < 9000; i += 100) text += "[W" + std::to_string(i) + "]\nid=1;\n";  // listed, never opened
  const auto files = weaponFiles({text});
  for (const auto values : {WeaponTable::Values::Kept, WeaponTable::Values::OnRequest}) {
    const WeaponTable table = tableOf(files, values);
    ASSERT_EQ(table.size(), 9000u);
    for (std::size_t row = 0; row < table.size(); ++row) {
      const std::string name(table.name(row));
      ASSERT_TRUE(table.entry(row).ends_with(" - " + name)) << row;
      const int i = std::stoi(name.substr(1));
      ASSERT_EQ(table.value(row, Slot::Range), i % 100 == 7 ? "" : std::to_string(i)) << row;
    }
  }
}

// A table made after another shares the files both read and reads the
// others: a damage sub-block left open in a changed file no longer carries
// into the shared file's block. Another list of names reads every file.
TEST(WeaponTableTest, SharesTheFilesItReadBefore) {
  const auto before = weaponFiles({"[GUN]\n{\nid=1;\n[DAMAGE]\n{\ndefault=1;\n",
                                   "[gun]\n{\nid=3;\nvalk=4;\n}\n[LASER]\n{\nrange=9;\n}\n", "[X]\n{\nid=5;\n}\n"});
  const WeaponTable first = expectAgreesWithLoader(before, "before");
  EXPECT_EQ(first.filesRead(), 3u);
  auto after = before;
  after[0] = memoryFile("f0", "[GUN]\n{\nid=1;\n}\n");
  const WeaponTable second = expectAgreesWithLoader(after, "after", &first);
  EXPECT_EQ(second.filesRead(), 1u);
  after.push_back(memoryFile("f3", "[NEW]\n{\nid=6;\n}\n"));
  EXPECT_EQ(expectAgreesWithLoader(after, "a new name", &second).filesRead(), 4u);
  // A table that reads values on request keeps none: one that keeps them
  // reads the files again rather than share its blocks.
  WeaponList names;
  names.add(scanFiles(before).entries);
  const WeaponTable onRequest(names.entries(), before, nullptr, WeaponTable::Values::OnRequest);
  const WeaponTable kept(names.entries(), before, &onRequest, WeaponTable::Values::Kept);
  EXPECT_EQ(kept.filesRead(), 3u);
  for (std::size_t row = 0; row < kept.size(); ++row)
    if (kept.name(row) == "LASER") {
      EXPECT_EQ(kept.value(row, Slot::Range), "9");
    }

  // A file on disk that changed under the same object is read again.
  test::TempDir dir;
  after[1] = looseFile(dir.write("f1.tdf", "[gun]\n{\nid=3;\n}\n[LASER]\n{\nrange=9;\n}\n"));
  const WeaponTable third = expectAgreesWithLoader(after, "on disk");
  dir.write("f1.tdf", "[gun]\n{\nid=4;\n}\n[LASER]\n{\nrange=10;\n}\n");
  EXPECT_EQ(expectAgreesWithLoader(after, "changed on disk", &third).filesRead(), 1u);
}

// Every folder of the corpus of real mod files, the eight standard files and
// every other weapon file as imports.
TEST(WeaponTableTest, AgreesWithTheLoaderOnTheCorpus) {
  const std::filesystem::path corpus = QM_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  std::size_t rows = 0;
  for (const auto& game : std::filesystem::directory_iterator(corpus)) {
    if (!game.is_directory()) continue;
    std::vector<WeaponFilePtr> files = GameFiles(game.path()).standardFiles();
    std::vector<std::filesystem::path> extra;
    for (const auto& f : std::filesystem::recursive_directory_iterator(game.path()))
      if (f.is_regular_file() && f.path().extension() != ".md") extra.push_back(f.path());
    std::sort(extra.begin(), extra.end());
    for (const auto& path : extra) files.push_back(memoryFile(platform::utf8Of(path), test::readFile(path)));
    rows += expectAgreesWithLoader(files, platform::utf8Of(game.path()), nullptr, test::kCorpusStride).size();
  }
  EXPECT_GT(rows, 2000u);
}

std::string cli(std::vector<std::string> args, int expectedStatus) {
  const test::CliRun r = test::cli(std::move(args));
  EXPECT_EQ(r.status, expectedStatus) << r.err;
  return r.out;
}

// `table --format json` row by row as `show --index N --actual --json`, on a
// corpus folder with imports.
TEST(WeaponTableTest, TableRowsAreWhatShowPrints) {
  const std::filesystem::path game = std::filesystem::path(QM_CORPUS_DIR) / "xubor";
  if (!std::filesystem::is_directory(game)) GTEST_SKIP() << "no corpus at " << game;
  std::vector<std::string> args = {"--game", platform::utf8Of(game)};
  std::vector<std::string> imports;  // the files other than the eight standard ones
  for (const auto& f : std::filesystem::directory_iterator(game / "weapons"))
    if (std::find(kStandardFiles.begin(), kStandardFiles.end(), toLower(platform::utf8Of(f.path().filename()))) ==
        kStandardFiles.end())
      imports.push_back(platform::utf8Of(f.path()));
  std::sort(imports.begin(), imports.end());
  for (const std::string& f : imports) args.insert(args.end(), {"--import", f});
  auto with = [&](std::vector<std::string> command) {
    command.insert(command.begin(), args.begin(), args.end());
    return command;
  };
  const auto table = nlohmann::json::parse(cli(with({"table", "--format", "json"}), 0));
  ASSERT_GT(table.size(), 100u);
  for (std::size_t n = 0; n < table.size(); ++n) {
    const auto shown =
        nlohmann::json::parse(cli(with({"show", "--index", std::to_string(n), "--actual", "--json"}), 0));
    for (const auto& row : shown["rows"])
      ASSERT_EQ(table[n][std::string(fieldByNumber(row["field"]).key)], row["value"]) << n;
    ASSERT_EQ(table[n]["[DAMAGE]"], shown["damage"]) << n;
  }
}

// The formats, the computed columns and the refusals.
TEST(WeaponTableTest, TableAndDiffCommands) {
  test::TempDir dir;
  test::writeGame(dir, {{"cannons.tdf",
                         "[GUN]\n{\nid=1;\nname=Big, \"loud\"\tgun\\;\nreloadtime=2;\nburst=3;\n[DAMAGE]\n{\n"
                         "default=10;\nTANK=4;\n}\n}\n[GUN2]\n{\nid=2;\nreloadtime=0;\nballistic=1;\n}\n[NONE]x\n"}});
  const std::vector<std::string> game = {"--game", platform::utf8Of(dir.path())};
  auto with = [&](std::vector<std::string> command) {
    command.insert(command.begin(), game.begin(), game.end());
    return command;
  };
  EXPECT_EQ(cli(with({"table", "--fields", "name,dps,damage.tank,[DAMAGE]"}), 0),
            "entry\tname\tdps\tdamage.tank\t[DAMAGE]\n  0 - NONE]\t\t\t\t\n  1 - GUN\tBig, \"loud\"\\tgun\\\\\t15\t4\t"
            "default=10 TANK=4\n  2 - GUN2\t\t\t\t\n");
  EXPECT_EQ(cli(with({"table", "--fields", "name,ballistic", "--format", "csv", "--viewing"}), 0),
            "entry,name,ballistic\r\n  0 - NONE],,\r\n  1 - GUN,\"Big, \"\"loud\"\"\tgun\\\",NO\r\n"
            "  2 - GUN2,None,YES\r\n");
  // A field's name mistyped: a likely misspelling of a key is named.
  for (const auto& [fields, message] : {std::pair{"range,nosuchkey", "unknown field \"nosuchkey\" in --fields\n"},
                                        {"RELOADTIM",
                                         "unknown field \"RELOADTIM\" in --fields (did you mean "
                                         "\"reloadtime\"?)\n"}}) {
    const test::CliRun r = test::cli(with({"table", "--fields", fields}));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
  cli(with({"table", "--format", "xml"}), 2);
  EXPECT_EQ(cli(with({"diff", "GUN", "gun2", "--json"}), 1),
            "{\n  \"differences\": [\n    {\"key\": \"name\", \"a\": \"Big, \\\"loud\\\"\\tgun\\\\\", \"b\": \"\"},\n"
            "    {\"key\": \"[NAME]\", \"a\": \"GUN\", \"b\": \"GUN2\"},\n    {\"key\": \"id\", \"a\": \"1\", \"b\": "
            "\"2\"},\n"
            "    {\"key\": \"burst\", \"a\": \"3\", \"b\": \"\"},\n    {\"key\": \"reloadtime\", \"a\": \"2\", \"b\": "
            "\"0\"},\n"
            "    {\"key\": \"ballistic\", \"a\": \"\", \"b\": \"1\"},\n"
            "    {\"key\": \"damage.default\", \"a\": \"10\", \"b\": \"\"},\n"
            "    {\"key\": \"damage.TANK\", \"a\": \"4\", \"b\": \"\"}\n  ]\n}\n");
  EXPECT_EQ(cli(with({"diff", "GUN", "gun"}), 0), "0 fields differ\n");
  cli(with({"diff", "GUN", "MISSING"}), 2);
}

// Rows of short values only, a column asked for again and again, so that a
// batch's text outgrows the room it started in between two values.
TEST(WeaponTableTest, TableRowsOutgrowTheirRoom) {
  test::TempDir dir;
  std::string file, fields = "name";
  for (int i = 1; i < 120; ++i) fields += ",name";
  for (int i = 0; i < 1100; ++i)
    file += "[W" + std::to_string(1000 + i) + "]\n{\nid=" + std::to_string(1 + i % 255) + ";\nname=Gun of the batch " +
            std::to_string(1000 + i) + ";\n}\n";
  test::writeGame(dir, {{"cannons.tdf", file}});
  const std::string out = cli({"--game", platform::utf8Of(dir.path()), "table", "--fields", fields}, 0);
  std::size_t rows = 0;
  for (std::size_t at = out.find('\n') + 1; at < out.size(); at = out.find('\n', at) + 1, ++rows) {
    const std::string line = out.substr(at, out.find('\n', at) - at);
    const std::string n = line.substr(line.find(" - W") + 4, 4);
    std::string expected;
    for (int i = 0; i < 120; ++i) expected += "\tGun of the batch " + n;
    ASSERT_EQ(line.substr(line.find('\t')), expected) << line.substr(0, 40);
  }
  EXPECT_EQ(rows, 1100u);
}

// The writer copies short plain values sixteen bytes at a time: its rows are
// what escaping a byte at a time gives, for values of every length about
// sixteen and thirty-two bytes with a byte to escape at each place, long ones
// with one near each end, the last one ending its file.
TEST(WeaponTableTest, DelimitedRowsAreWhatAPlainWriterGives) {
  std::vector<std::string> values;
  for (std::size_t length = 1; length <= 34; ++length) {
    values.emplace_back(length, 'v');
    for (const char special : {'\t', '\\', ',', '"', '\xe9'})
      for (std::size_t at = 0; at < length; ++at) {
        values.emplace_back(length, 'v');
        values.back()[at] = special;
      }
  }
  for (const std::size_t length : {100, 2000, 5000})
    for (const std::size_t at : {std::size_t{0}, length / 2, length - 1}) {
      values.emplace_back(length, 'v');
      values.back()[at] = at == 0 ? '\xe9' : '\t';
    }
  std::string file;
  for (std::size_t i = 0; i < values.size(); ++i)
    file +=
        "[W" + std::to_string(10000 + i) + "]\n{\nid=1;\nname=" + values[i] + (i + 1 < values.size() ? ";\n}\n" : ";");
  test::TempDir dir;
  test::writeGame(dir, {{"cannons.tdf", file}});
  const auto plain = [](std::string_view value, bool csv) {
    std::string out;
    for (const char c : value) out += !csv && c == '\t' ? "\\t" : !csv && c == '\\' ? "\\\\" : std::string(1, c);
    out = cp1252ToUtf8(out);
    if (!csv || out.find_first_of(",\"") == std::string::npos) return out;
    std::string quoted = "\"";
    for (const char c : out) quoted += c == '"' ? "\"\"" : std::string(1, c);
    return quoted + '"';
  };
  for (const bool csv : {false, true}) {
    std::string expected = csv ? "entry,name\r\n" : "entry\tname\n";
    for (std::size_t i = 0; i < values.size(); ++i)
      expected +=
          "  1 - W" + std::to_string(10000 + i) + (csv ? "," : "\t") + plain(values[i], csv) + (csv ? "\r\n" : "\n");
    const std::string out =
        cli({"--game", platform::utf8Of(dir.path()), "table", "--fields", "name", "--format", csv ? "csv" : "tsv"}, 0);
    EXPECT_EQ(out, expected) << (csv ? "csv" : "tsv");
  }
}

// The filter box: comparisons and texts, one table of words and rows.
TEST(TableFilterTest, WordsAndRows) {
  const auto files =
      weaponFiles({"[FAR]\n{\nid=1;\nrange=700;\nreloadtime=1;\nname=Long Gun;\n[DAMAGE]\n{\ndefault=50;\n}\n}\n"
                   "[NEAR]\n{\nid=2;\nrange=600; // tuned\nreloadtime=0.5;\nedgeeffectiveness=0.25;\n}\n"
                   "[ODD]\n{\nid=3;\nrange=far;\n}\n"});
  const WeaponTable table = tableOf(files);
  const struct {
    const char* filter;
    const char* rows;  // the entries' first letters that pass
    bool viewing = false;
  } cases[] = {
      {"", "FNO"},         {"range>600", "F"},         {"range >= 600", "FN"}, {"RANGE>= 600 reloadtime<1", "N"},
      {"range!=600", "F"},                                                                     // "far" is not a number
      {"dps>40", "F"},     {"damage.default=50", "F"}, {"long", "F"},          {"far", "FO"},  // the entry, and a value
      {"default=5", "F"},                      // not a known key: a text, found in the damage list
      {"25%", "N", true},                      // a Viewing Mode text
      {"25%", ""},         {"range>abc", ""},  // not a comparison: a text nowhere
  };
  for (const auto& c : cases) {
    const TableFilter filter(c.filter);
    std::string passed;
    for (std::size_t row = 0; row < table.size(); ++row)
      if (filter.accepts(table, row, c.viewing)) passed += table.name(row)[0];
    EXPECT_EQ(passed, c.rows) << c.filter;
  }
}

// Names written as comparisons that no column has, told apart from texts.
TEST(TableFilterTest, UnknownFields) {
  const struct {
    const char* filter;
    std::vector<std::string> unknown;
  } cases[] = {
      {"rnage>600", {"rnage"}}, {"range>600 reloadtim <= 1", {"reloadtim"}}, {"Rnage!=1 long", {"Rnage"}},
      {"default=5", {}},  // an "=" is as likely a text of the files
      {"range>abc", {}},  // not a number: a text
      {"a b>3", {"b"}},   // not "ab": a name lies in one word
      {"range>600", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(TableFilter(c.filter).unknownFields(), c.unknown) << c.filter;
}

// A header click's order: numbers as numbers, the cells that are not numbers
// (texts, empty, no weapon found) after them in list order, in either direction.
TEST(TableOrderTest, NumbersTextsAndEmptyCells) {
  const auto files =
      weaponFiles({"[A]\n{\nid=1;\nrange=10;\nname=beta;\n}\n[B]\n{\nid=2;\nrange=far;\nname=Alpha;\n}\n"
                   "[C]\n{\nid=3;\nrange=9;\n}\n[D]\n{\nid=4;\nrange=10.0;\nname=alpha;\n}\n"
                   "[E]\n{\nid=5;\n}\n[F]\n{\nid=6;\nrange=&H0A;\n}\n"
                   "[G]\n{\nid=7;\nrange=-2;\nname=Beta;\n}\n[H]\n{\nid=8;\nrange=10;\n}\n[Z]x\n"});
  const WeaponTable table = tableOf(files);
  const struct {
    const char* column;
    bool descending;
    const char* rows;  // the bracket names' letters in order
  } cases[] = {
      {"range", false, "GCADFHZBE"},  // equal numbers (written alike or not) in list order
      {"range", true, "ZBEHFDACG"},   // reversed, but the cells that are not numbers first, in list order
      {"name", false, "ZCEFHBDAG"},   // empty first; letter case ignored, then list order
      {"name", true, "GADBHFECZ"},    // reversed
      {"dps", false, "ZABCDEFGH"},    // no number anywhere: list order
  };
  for (const auto& c : cases) {
    std::string rows;
    for (std::size_t row : sortedRows(table, *columnNamed(c.column), false, c.descending)) rows += table.name(row)[0];
    EXPECT_EQ(rows, c.rows) << c.column << (c.descending ? " descending" : "");
  }
}

}  // namespace
}  // namespace qm
