// The units on the command line: units, unit, and the unit forms of table,
// diff and set (table --units, diff --units, set --unit).
#include <memory>
#include <ostream>

#include "catalogue/game_files.h"
#include "cli/command.h"
#include "cli/game_checks.h"
#include "edit/session.h"
#include "presentation/unit_columns.h"
#include "text/text.h"
#include "unit/unit_edit.h"
#include "unit/unit_set.h"

namespace qm {

namespace {

using json = nlohmann::ordered_json;

constexpr std::string_view kUnitNotFound = "Unit not found!";

// Unit bytes as UTF-8.
std::string utf8(std::string_view bytes) { return cp1252ToUtf8(bytes); }

// A TSV value: TAB, backslash and line ends (a YardMap's value has them)
// written as "\t", "\\", "\n" and "\r".
std::string tsv(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    if (c == '\t')
      out += "\\t";
    else if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return utf8(out);
}

// The game's units as a command reads them: the files, the engine, the units.
struct GameRead {
  GameFiles files;
  std::vector<WeaponFilePtr> imports;
  Engine engine;
  GameUnits units;

  GameRead(CommandContext& s, Engine asked)
      : files(s.game()), imports(importsOf(s)), engine(decideEngine(asked, files, imports)), units(files, engine) {
    if (!files.damagedArchives().empty()) s.host().reportUnreadable(files.damagedArchives());
    for (const UnreadableFile& f : units.leftOut())
      s.err << "warning: unit file " << f.name << " left out: " << f.reason << '\n';
  }
  static std::vector<WeaponFilePtr> importsOf(CommandContext& s) {
    std::vector<WeaponFilePtr> out;
    for (const std::string& path : s.imports())
      if (WeaponFilePtr file = s.importedFile(path)) out.push_back(std::move(file));
    return out;
  }
  WeaponDps weapons(CommandContext& s) const {
    std::vector<UnreadableFile> unreadable;
    WeaponDps dps = WeaponDps::ofGame(files, imports, &unreadable);
    if (!unreadable.empty()) s.host().reportUnreadable(unreadable);
    return dps;
  }
};

}  // namespace

Engine engineNamed(const std::string& name) {
  return name == "original" ? Engine::Original : name == "later" ? Engine::Later : Engine::Auto;
}

void addEngineOption(CLI::App& sub, std::string& engine) {
  sub.add_option("--engine", engine, "original, later or auto (default): the engine the units are named for")
      ->type_name("ENGINE")
      ->check(CLI::IsMember({"original", "later", "auto"}));
}

Command::Run declareUnits(CLI::App& sub) {
  struct Args {
    bool json = false;
    std::string engine = "auto";
  };
  auto a = std::make_shared<Args>();
  sub.add_flag("--json", a->json, "Print a JSON array");
  addEngineOption(sub, a->engine);
  return [a](CommandContext& s) {
    const GameRead game(s, engineNamed(a->engine));
    const auto& units = game.units.units();
    if (a->json) {
      json list = json::array();
      for (const Unit& u : units)
        list.push_back({{"unit", utf8(u.name)},
                        {"side", utf8(u.read.value("side"))},
                        {"name", utf8(u.read.value("name"))},
                        {"file", u.file->name()}});
      writeJson(s.out, list);
      return 0;
    }
    std::string text;
    for (const Unit& u : units)
      text += tsv(u.name) + '\t' + tsv(u.read.value("side")) + '\t' + tsv(u.read.value("name")) + '\t' +
              u.file->name() + '\n';
    text += std::to_string(units.size()) + " units\n";
    s.out << text;
    return 0;
  };
}

Command::Run declareUnit(CLI::App& sub) {
  struct Args {
    std::string name;
    bool json = false;
    std::string engine = "auto";
  };
  auto a = std::make_shared<Args>();
  sub.add_option("NAME", a->name, "The unit's name (letter case not significant)")->type_name("NAME")->required();
  sub.add_flag("--json", a->json, "Print one JSON object");
  addEngineOption(sub, a->engine);
  return [a](CommandContext& s) {
    const GameRead game(s, engineNamed(a->engine));
    const Unit* unit = game.units.find(utf8ToCp1252(a->name));
    if (!unit) {
      s.err << kUnitNotFound << '\n';
      return 1;
    }
    const WeaponDps weapons = game.weapons(s);
    const std::vector<WeaponSlot> slots = weaponSlots(unit->read, game.engine);
    if (a->json) {
      json values = json::array(), list = json::array();
      for (const UnitEntry* e : unit->read.values())
        values.push_back({{"key", utf8(e->key)}, {"value", utf8(e->value)}, {"line", e->line}});
      for (const WeaponSlot& w : slots)
        list.push_back({{"slot", utf8(w.key)}, {"weapon", utf8(w.weapon)}, {"found", weapons.has(w.weapon)}});
      writeJson(s.out,
                {{"unit", utf8(unit->name)}, {"file", unit->file->name()}, {"values", values}, {"weapons", list}});
      return 0;
    }
    std::string text;
    for (const UnitEntry* e : unit->read.values())
      text += tsv(e->key) + '\t' + tsv(e->value) + '\t' + std::to_string(e->line) + '\n';
    for (const WeaponSlot& w : slots)
      text += tsv(w.key) + '\t' + tsv(w.weapon) + '\t' + (weapons.has(w.weapon) ? "found" : "missing") + '\n';
    s.out << text;
    return 0;
  };
}

int runUnitsTable(CommandContext& s, const std::optional<std::string>& fields, const std::string& format,
                  const std::string& engine) {
  std::vector<UnitColumn> columns;
  if (!fields) {
    columns = defaultUnitColumns();
  } else {
    columns.push_back(*unitColumnNamed("unit"));
    std::string_view list = *fields;
    while (true) {
      const std::size_t comma = list.find(',');
      const std::string_view name = list.substr(0, comma);
      const auto column = unitColumnNamed(utf8ToCp1252(name));
      if (!column || column->kind == UnitColumn::Kind::Unit)
        throw UsageError("unknown field \"" + std::string(name) + "\" in --fields");
      columns.push_back(*column);
      if (comma == std::string_view::npos) break;
      list.remove_prefix(comma + 1);
    }
  }
  const GameRead game(s, engineNamed(engine));
  bool computed = false;
  for (const UnitColumn& c : columns)
    computed = computed || (c.kind != UnitColumn::Kind::Unit && c.kind != UnitColumn::Kind::Key);
  const WeaponDps weapons = computed ? game.weapons(s) : WeaponDps();
  const auto& units = game.units.units();
  if (format == "json") {
    s.out << "[\n";
    for (std::size_t i = 0; i < units.size(); ++i) {
      json object = json::object();
      for (const UnitColumn& c : columns) object[utf8(c.name)] = utf8(unitCell(units[i], c, game.engine, weapons));
      s.out << "  ";
      writeJsonInline(s.out, object);
      s.out << (i + 1 < units.size() ? ",\n" : "\n");
    }
    s.out << "]\n";
    return 0;
  }
  const bool csv = format == "csv";
  const char sep = csv ? ',' : '\t';
  const std::string_view end = csv ? "\r\n" : "\n";
  const auto append = [&](std::string& out, std::string_view bytes) {
    if (csv)
      appendCsvField(out, utf8(bytes));
    else
      out += tsv(bytes);
  };
  std::string text;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i) text += sep;
    append(text, columns[i].name);
  }
  text += end;
  for (const Unit& u : units) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i) text += sep;
      append(text, unitCell(u, columns[i], game.engine, weapons));
    }
    text += end;
    if (text.size() > (1u << 20)) {
      s.out << text;
      text.clear();
    }
  }
  s.out << text;
  return 0;
}

int runUnitsDiff(CommandContext& s, const std::string& first, const std::string& second, bool asJson,
                 const std::string& engine) {
  const GameRead game(s, engineNamed(engine));
  const Unit* a = game.units.find(utf8ToCp1252(first));
  const Unit* b = game.units.find(utf8ToCp1252(second));
  if (!a || !b) {
    s.err << kUnitNotFound << '\n';
    return 2;
  }
  const std::vector<Difference> differences = unitDifferences(a->read, b->read);
  if (asJson) {
    json list = json::array();
    for (const Difference& d : differences) list.push_back({{"key", utf8(d.key)}, {"a", utf8(d.a)}, {"b", utf8(d.b)}});
    writeJson(s.out, {{"differences", list}});
  } else {
    std::string text;
    for (const Difference& d : differences) text += tsv(d.key) + '\t' + tsv(d.a) + '\t' + tsv(d.b) + '\n';
    text += std::to_string(differences.size()) + " fields differ\n";
    s.out << text;
  }
  return differences.empty() ? 0 : 1;
}

int runSetUnit(CommandContext& s, const SetArgs& a) {
  std::vector<std::string> assignments = a.assignments;
  if (!a.name.empty()) assignments.insert(assignments.begin(), a.name);
  if (assignments.empty() && a.removes.empty()) throw UsageError("set needs at least one KEY=VALUE or --remove KEY");
  const std::optional<std::string> named = argumentBytes(s, *a.unit);
  if (!named) return 1;
  const GameRead game(s, engineNamed(a.engine));
  const Unit* unit = game.units.find(*named);
  if (!unit) {
    s.err << kUnitNotFound << '\n';
    return 1;
  }
  const std::optional<std::vector<edit::Change>> changes =
      askedChanges(s, unit->name, assignments, a.removes, unitRules(unit->file, unit->name, game.units.engine()));
  if (!changes) return 1;
  edit::Session session(s.game(), {});
  const edit::Applied applied = session.apply(*changes);
  if (!applied.step) {
    s.err << applied.refusal << '\n';
    return 1;
  }
  return showAndSave(s, session, *applied.step, a);
}

}  // namespace qm
