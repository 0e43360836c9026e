#include "presentation/table_state.h"

#include <algorithm>
#include <unordered_map>

#include "catalogue/scan.h"
#include "checks/check_set.h"
#include "checks/known_keys.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "presentation/main_window_state.h"
#include "presentation/unit_columns.h"
#include "text/numbers.h"
#include "text/text.h"
#include "unit/unit_fields.h"
#include "weapon/field_table.h"

namespace qm {

namespace {

// ---------------------------------------------------------------------------
// The weapons of the list.

class WeaponRows final : public TableSource {
 public:
  WeaponRows(const MainWindowState& state, const WeaponRows* previous)
      : table_(std::make_shared<const WeaponTable>(state.weaponList().entries(), state.searchList(),
                                                   previous ? previous->table_.get() : nullptr)),
        columns_(defaultColumns()),
        gameDir_(state.gameDir()) {
    columns_.push_back(*columnNamed("dps"));
  }

  std::string_view noun(bool plural) const override { return plural ? "weapons" : "weapon"; }
  std::size_t rowCount() const override { return table_->size(); }
  std::size_t columnCount() const override { return columns_.size(); }
  const std::string& columnName(std::size_t c) const override { return columns_[c].name; }
  std::string caption(std::size_t c, bool viewing) const override { return columnCaption(columns_[c], viewing); }
  bool numeric(std::size_t c) const override { return columns_[c].numeric(); }
  std::string cell(std::size_t row, std::size_t c, bool viewing) const override {
    const Column& column = columns_[c];
    return cellText(*table_, row, column, viewing,
                    column.needsDamage() ? table_->damage(row) : std::vector<std::string>());
  }
  std::vector<std::size_t> sorted(std::size_t c, bool viewing, bool descending) const override {
    return sortedRows(*table_, columns_[c], viewing, descending);
  }
  TableFilter filter(std::string_view text) const override { return TableFilter(text); }
  bool accepts(const TableFilter& filter, std::size_t row, bool viewing) const override {
    return filter.accepts(*table_, row, viewing);
  }
  std::string nearestKey(std::string_view typed) const override {
    return std::string(nearestWeaponKey(toLower(typed)));
  }
  std::vector<FieldPair> compare(std::size_t a, std::size_t b, bool viewing) const override {
    return compareWeapons(table_->weapon(a), table_->weapon(b), viewing);
  }
  std::string pairCaption(const std::string& key, bool viewing) const override {
    const auto column = columnNamed(key);
    return column && column->kind == Column::Kind::Field ? columnCaption(*column, viewing) : key;
  }
  std::string side(std::size_t) const override { return {}; }
  std::pair<std::string_view, std::string_view> chartColumns() const override { return {"range", "dps"}; }
  std::vector<Key> changeKeys(bool viewing) const override {
    // Every field of a "key=value;" line, then the default damage amount.
    std::vector<Key> out;
    for (const FieldRow& row : kFields)
      if (row.isKeyLine()) out.push_back({std::string(row.key), columnCaption(fieldColumn(row.no), viewing)});
    out.push_back({"damage.default", "damage.default"});
    return out;
  }
  std::vector<FieldTarget> targets(const std::vector<std::size_t>& rows, const std::string& key) const override {
    return fieldTargets(*table_, rows, key, gameDir_);
  }
  FieldChangePlan plan(const std::vector<FieldTarget>& targets, const std::string& key, FieldOperation op,
                       std::string_view operand) const override {
    return planFieldChange(targets, key, op, operand);
  }

 private:
  std::shared_ptr<const WeaponTable> table_;
  std::vector<Column> columns_;
  std::filesystem::path gameDir_;
};

// ---------------------------------------------------------------------------
// The game's units.

// The names the units table's filter compares by: its computed columns,
// the known keys and a block's keys (BLOCK.KEY); any other name is more
// likely a mistyped one than a key of some file.
std::optional<std::string> unitFilterName(std::string_view name) {
  const auto column = unitColumnNamed(name);
  if (!column || column->kind == UnitColumn::Kind::Unit) return std::nullopt;
  if (column->kind != UnitColumn::Kind::Key || unitKey(name) || weaponSlotNumber(name) ||
      name.find('.') != std::string_view::npos)
    return column->name;
  return std::nullopt;
}

// A header's order over any cells: numbers as numbers and the cells that
// are not numbers after them, or texts with letter case ignored; ties in
// the source's order. Descending reverses all but the cells that are not
// numbers, which come first, still in the source's order.
std::vector<std::size_t> sortRows(std::size_t rows, bool numeric, bool descending,
                                  const std::function<std::string(std::size_t)>& text) {
  std::vector<std::size_t> out(rows);
  for (std::size_t r = 0; r < rows; ++r) out[r] = r;
  if (numeric) {
    std::vector<std::optional<double>> number(rows);
    for (std::size_t r = 0; r < rows; ++r) number[r] = valueNumber(text(r));
    const auto numbers = std::stable_partition(out.begin(), out.end(), [&](std::size_t r) { return number[r]; });
    std::stable_sort(out.begin(), numbers, [&](std::size_t a, std::size_t b) {
      return descending ? *number[a] > *number[b] : *number[a] < *number[b];
    });
    if (descending) std::rotate(out.begin(), numbers, out.end());
    return out;
  }
  std::vector<std::string> texts(rows);
  for (std::size_t r = 0; r < rows; ++r) texts[r] = text(r);
  std::stable_sort(out.begin(), out.end(), [&](std::size_t a, std::size_t b) {
    return descending ? compareFolded(texts[a], texts[b]) > 0 : compareFolded(texts[a], texts[b]) < 0;
  });
  return out;
}

class UnitRows final : public TableSource {
 public:
  // Reads the units and the weapons as the unsaved edits have them; of
  // `previous`, keeps the units and weapons whose files stand as they did.
  UnitRows(const MainWindowState& state, const UnitRows* previous)
      : gameDir_(state.gameDir()),
        engine_(decideEngine(Engine::Auto, state.gameFiles(), importsOf(state))),
        columns_(defaultUnitColumns()) {
    if (previous && previous->engine_ != engine_) previous = nullptr;
    for (const char* name : {"dps", "hp.per.metal", "dps.per.metal"}) columns_.push_back(*unitColumnNamed(name));
    const EditedFiles& edited = state.editedFiles();
    readUnits(state.gameFiles().filesIn("units", ".fbi"), edited, previous);
    // The weapons' damage per second as the unsaved edits have them.
    std::vector<WeaponFilePtr> files = gameWeaponFiles(state.gameFiles());
    for (WeaponFilePtr& f : importsOf(state)) files.push_back(std::move(f));
    for (const WeaponFilePtr& f : files) weaponCopies_.push_back(edited.copyOf(*f));
    if (previous && previous->weaponCopies_ == weaponCopies_ && sameNames(previous->weaponNames_, files)) {
      weapons_ = previous->weapons_;
    } else {
      weapons_ = std::make_shared<const WeaponDps>(WeaponDps::ofFiles(edited.over(files)));
    }
    for (const WeaponFilePtr& f : files) weaponNames_.push_back(f->name());
  }

  std::string_view noun(bool plural) const override { return plural ? "units" : "unit"; }
  std::size_t rowCount() const override { return units_.size(); }
  std::size_t columnCount() const override { return columns_.size(); }
  const std::string& columnName(std::size_t c) const override { return columns_[c].name; }
  std::string caption(std::size_t c, bool viewing) const override {
    const UnitColumn& column = columns_[c];
    if (!viewing) return column.name;
    switch (column.kind) {
      case UnitColumn::Kind::Unit:
        return "Unit";
      case UnitColumn::Kind::Key:
        if (const UnitKey* known = unitKey(column.name)) return std::string(known->caption);
        return column.name;
      case UnitColumn::Kind::Dps:
        return "Damage per second";
      case UnitColumn::Kind::HpPerMetal:
        return "Hit points per metal";
      case UnitColumn::Kind::DpsPerMetal:
        return "Damage per second per metal";
    }
    return column.name;
  }
  bool numeric(std::size_t c) const override { return columns_[c].numeric(); }
  std::string cell(std::size_t row, std::size_t c, bool) const override { return cellOf(row, columns_[c]); }
  std::vector<std::size_t> sorted(std::size_t c, bool, bool descending) const override {
    return sortRows(rowCount(), numeric(c), descending, [&](std::size_t row) { return cell(row, c, false); });
  }
  TableFilter filter(std::string_view text) const override { return TableFilter(text, unitFilterName); }
  bool accepts(const TableFilter& filter, std::size_t row, bool) const override {
    const Unit& unit = *units_[row];
    return filter.accepts(
        [&](const TableFilter::Comparison& c) { return valueNumber(cellOf(row, *unitColumnNamed(c.name))); },
        [&](std::string_view text) {
          if (TableFilter::contains(unit.name, text)) return true;
          for (const UnitEntry* e : unit.read.values())
            if (TableFilter::contains(e->value, text)) return true;
          return false;
        });
  }
  std::string nearestKey(std::string_view) const override { return {}; }
  std::vector<FieldPair> compare(std::size_t a, std::size_t b, bool) const override {
    return compareUnits(units_[a]->read, units_[b]->read);
  }
  std::string pairCaption(const std::string& key, bool viewing) const override {
    const UnitKey* known = viewing ? unitKey(key) : nullptr;
    return known ? std::string(known->caption) : cp1252ToUtf8(key);
  }
  std::string side(std::size_t row) const override { return std::string(units_[row]->read.value("side")); }
  std::pair<std::string_view, std::string_view> chartColumns() const override { return {"BuildCostMetal", "dps"}; }
  std::vector<Key> changeKeys(bool viewing) const override {
    std::vector<Key> out;
    for (const UnitKey& k : unitKeys()) out.push_back({std::string(k.key), std::string(viewing ? k.caption : k.key)});
    return out;
  }
  std::vector<FieldTarget> targets(const std::vector<std::size_t>& rows, const std::string& key) const override {
    std::vector<const Unit*> units;
    for (std::size_t r : rows)
      if (r < rowCount()) units.push_back(units_[r].get());
    return unitFieldTargets(units, key, gameDir_);
  }
  FieldChangePlan plan(const std::vector<FieldTarget>& targets, const std::string& key, FieldOperation op,
                       std::string_view operand) const override {
    return planUnitFieldChange(targets, key, op, operand);
  }

 private:
  static std::vector<WeaponFilePtr> importsOf(const MainWindowState& state) {
    std::vector<WeaponFilePtr> out;
    for (const std::string& path : state.imports())
      if (WeaponFilePtr file = namedWeaponFile(path)) out.push_back(std::move(file));
    return out;
  }
  std::string cellOf(std::size_t row, const UnitColumn& column) const {
    return unitCell(*units_[row], column, engine_, *weapons_);
  }
  static bool sameNames(const std::vector<std::string>& names, const std::vector<WeaponFilePtr>& files) {
    return std::equal(names.begin(), names.end(), files.begin(), files.end(),
                      [](const std::string& name, const WeaponFilePtr& f) { return name == f->name(); });
  }

  // Reads the units of `files`, each as it stands with the edits; a unit of
  // `previous` whose file stands as it did is kept, not read again. In the
  // order GameUnits gives: by name, letter case ignored, then file order.
  void readUnits(const std::vector<WeaponFilePtr>& files, const EditedFiles& edited, const UnitRows* previous) {
    std::unordered_map<std::string_view, std::size_t> before;  // by file name, into previous->units_
    for (std::size_t i = 0; previous && i < previous->units_.size(); ++i)
      before.emplace(previous->units_[i]->file->name(), i);
    struct Placed {
      std::size_t file;
      std::shared_ptr<const Unit> unit;
    };
    std::vector<Placed> placed;
    std::vector<WeaponFilePtr> toRead;
    std::vector<std::size_t> toReadAt;
    for (std::size_t f = 0; f < files.size(); ++f) {
      WeaponFilePtr copy = edited.copyOf(*files[f]);
      if (const auto kept = before.find(files[f]->name()); kept != before.end()) {
        if (previous->copies_[kept->second] == copy) {
          placed.push_back({f, previous->units_[kept->second]});
          continue;
        }
      }
      toRead.push_back(copy ? copy : files[f]);
      toReadAt.push_back(f);
    }
    std::unordered_map<const WeaponFile*, std::size_t> fileAt;
    for (std::size_t i = 0; i < toRead.size(); ++i) fileAt.emplace(toRead[i].get(), toReadAt[i]);
    for (Unit& unit : GameUnits(toRead, engine_).takeUnits()) {
      const std::size_t f = fileAt.at(unit.file.get());
      placed.push_back({f, std::make_shared<Unit>(std::move(unit))});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
      const int order = compareFolded(a.unit->name, b.unit->name);
      return order != 0 ? order < 0 : a.file < b.file;
    });
    for (Placed& p : placed) {
      copies_.push_back(edited.copyOf(*p.unit->file));
      units_.push_back(std::move(p.unit));
    }
  }

  std::filesystem::path gameDir_;
  Engine engine_;
  std::vector<std::shared_ptr<const Unit>> units_;
  std::vector<WeaponFilePtr> copies_;  // by unit: the edited copy it was read from; null for the file itself
  std::vector<UnitColumn> columns_;
  std::shared_ptr<const WeaponDps> weapons_;
  std::vector<std::string> weaponNames_;  // the weapon files weapons_ was read from, and their edited copies
  std::vector<WeaponFilePtr> weaponCopies_;
};

}  // namespace

std::shared_ptr<const TableSource> weaponRows(const MainWindowState& state, const TableSource* previous) {
  return std::make_shared<const WeaponRows>(state, dynamic_cast<const WeaponRows*>(previous));
}

std::shared_ptr<const TableSource> unitRows(const MainWindowState& state, const TableSource* previous) {
  return std::make_shared<const UnitRows>(state, dynamic_cast<const UnitRows*>(previous));
}

// ---------------------------------------------------------------------------
// The table.

TableState::TableState(std::shared_ptr<const TableSource> source) { setSource(std::move(source)); }

void TableState::setSource(std::shared_ptr<const TableSource> source) {
  source_ = std::move(source);
  filter_ = source_->filter(filterText_);
  if (sortColumn_ >= static_cast<int>(source_->columnCount())) sortColumn_ = -1;
  order();
  applyFilter();
}

void TableState::setViewing(bool viewing) {
  if (viewing == viewing_) return;
  viewing_ = viewing;
  order();
  applyFilter();
}

void TableState::setFilter(std::string_view text) {
  filterText_ = std::string(text);
  filter_ = source_->filter(text);
  applyFilter();
}

void TableState::sortBy(int column, bool descending) {
  sortColumn_ = column >= 0 && column < static_cast<int>(source_->columnCount()) ? column : -1;
  descending_ = descending;
  order();
  applyFilter();
}

void TableState::order() {
  if (sortColumn_ >= 0) {
    order_ = source_->sorted(static_cast<std::size_t>(sortColumn_), viewing_, descending_);
    return;
  }
  order_.resize(source_->rowCount());
  for (std::size_t row = 0; row < order_.size(); ++row) order_[row] = row;
}

void TableState::applyFilter() {
  shown_.clear();
  if (filter_.empty()) return;
  for (std::size_t row : order_)
    if (source_->accepts(filter_, row, viewing_)) shown_.push_back(row);
}

std::optional<std::size_t> TableState::placeOf(std::size_t row) const {
  const auto& rows = shown();
  const auto at = std::find(rows.begin(), rows.end(), row);
  return at == rows.end() ? std::nullopt : std::optional<std::size_t>(at - rows.begin());
}

std::string TableState::status(std::size_t selected) const {
  std::string text = std::to_string(shown().size()) + " of " + std::to_string(source_->rowCount()) + " " +
                     std::string(source_->noun(true));
  if (selected) text += ", " + std::to_string(selected) + " selected";
  // A column's name mistyped in the filter box, which makes its words texts.
  if (const auto& unknown = filter_.unknownFields(); !unknown.empty()) {
    const std::string near = source_->nearestKey(unknown.front());
    text += " \u2014 no field \"" + cp1252ToUtf8(unknown.front()) + "\"" +
            (near.empty() ? std::string() : " (did you mean \"" + near + "\"?)") + ": looked for as text";
  }
  return text;
}

std::string TableState::title(bool unsaved) const {
  std::string noun(source_->noun(true));
  noun[0] = static_cast<char>(noun[0] - 'a' + 'A');
  return noun + " table" + (unsaved ? " *" : "");
}

std::string TableState::compareTitle() const { return "Compare " + std::string(source_->noun(true)); }

std::string TableState::compareHint(std::size_t row) const {
  return "Click the " + std::string(source_->noun(false)) + " to compare " +
         cp1252ToUtf8(trimBlanks(source_->cell(row, 0, viewing_))) + " with.";
}

TableState::Offers TableState::offers(std::size_t selected, bool canEdit) {
  return {selected == 2, selected > 0 && canEdit, selected > 0};
}

std::string TableState::csvName() const { return std::string(source_->noun(true)) + ".csv"; }

std::string TableState::chartTitle() const { return title(false) + " \u2014 chart"; }

Compared TableState::compare(std::size_t a, std::size_t b) const {
  Compared out;
  out.titleA = std::string(trimBlanks(source_->cell(a, 0, viewing_)));
  out.titleB = std::string(trimBlanks(source_->cell(b, 0, viewing_)));
  for (FieldPair& p : source_->compare(a, b, viewing_)) {
    out.differing += p.differs ? 1 : 0;
    out.rows.push_back({source_->pairCaption(p.key, viewing_), std::move(p.a), std::move(p.b), p.differs});
  }
  return out;
}

presentation::ChartSource TableState::chartSource() const {
  presentation::ChartSource out;
  std::vector<std::size_t> columns;
  const auto [x, y] = source_->chartColumns();
  for (std::size_t c = 0; c < source_->columnCount(); ++c) {
    if (!source_->numeric(c)) continue;
    if (source_->columnName(c) == x) out.initialX = columns.size();
    if (source_->columnName(c) == y) out.initialY = columns.size();
    columns.push_back(c);
    out.columns.push_back(source_->caption(c, viewing_));
  }
  for (std::size_t row : shown()) {
    out.rowNames.emplace_back(trimBlanks(source_->cell(row, 0, viewing_)));
    out.rowSides.push_back(source_->side(row));
  }
  out.value = [source = source_, rows = shown(), columns](std::size_t row, std::size_t column) {
    return valueNumber(source->cell(rows[row], columns[column], false));
  };
  return out;
}

std::string TableState::text(const std::vector<std::size_t>& rows, const std::vector<std::size_t>& columns,
                             bool withCaptions, Format format) const {
  const bool csv = format == Format::Csv;
  const char separator = csv ? ',' : '\t';
  const std::string_view lineEnd = csv ? "\r\n" : "\n";
  const auto cell = csv ? appendCsvField : appendClipboardCell;
  std::string text;
  if (withCaptions) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i) text += separator;
      cell(text, source_->caption(columns[i], viewing_));
    }
    text += lineEnd;
  }
  for (std::size_t row : rows) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i) text += separator;
      cell(text, cp1252ToUtf8(source_->cell(row, columns[i], viewing_)));
    }
    text += lineEnd;
  }
  return text;
}

std::optional<std::filesystem::path> TableState::saveCsv(Host& host, const std::vector<std::size_t>& columns,
                                                         const std::filesystem::path& suggested) const {
  const auto chosen = host.showSave(suggested, kCsvFilter);
  if (!chosen || chosen->empty()) return std::nullopt;
  std::filesystem::path path = *chosen;
  // A name typed without a suffix gets the one its file type has.
  if (!path.has_extension()) path += ".csv";
  std::error_code ec;
  if (std::filesystem::exists(path, ec) &&
      host.msgBox("\"" + platform::utf8Of(path) + "\" exists. Replace it?", Buttons::YesNo) != Answer::Yes)
    return std::nullopt;
  if (const auto error = platform::replaceFile(path, text(shown(), columns, true, Format::Csv))) {
    host.msgBox("Could not write \"" + platform::utf8Of(path) + "\": " + *error + ".", Buttons::Ok);
    return std::nullopt;
  }
  return path;
}

}  // namespace qm
