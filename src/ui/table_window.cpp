#include "ui/table_window.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "checks/known_keys.h"
#include "platform/files.h"
#include "presentation/table_filter.h"
#include "text/text.h"
#include "ui/change_field_dialog.h"
#include "ui/column_dialog.h"
#include "ui/controls.h"

namespace qm::ui {

namespace {

constexpr const char* kHiddenColumnsKey = "weaponsTable/hiddenColumns";
constexpr const char* kGeometryKey = "weaponsTable/geometry";
constexpr const char* kColumnWidthsKey = "weaponsTable/columnWidths";  // by column name
constexpr const char* kColumnSetsKey = "weaponsTable/columnSets";      // by the set's name: its columns' names

// The window's columns: the list entry, the 66 fields, the damage per second.
std::vector<Column> windowColumns() {
  std::vector<Column> out = defaultColumns();
  out.push_back(*columnNamed("dps"));
  return out;
}

}  // namespace

// The rows of the core's table as the view asks for them, sorted by a click
// on a column header and filtered by the filter box: each cell's text is made
// when it is shown, nothing is copied per cell. The order is a list of the
// table's rows worked out once per sort, so that sorting compares numbers read
// once and not the cells' texts.
class WeaponTableModel : public QAbstractTableModel {
 public:
  explicit WeaponTableModel(QObject* parent) : QAbstractTableModel(parent), columns_(windowColumns()) {}

  void setTable(std::shared_ptr<const WeaponTable> table) {
    beginResetModel();
    table_ = std::move(table);
    order();
    filter();
    endResetModel();
  }
  // The same rows with their values read again: the views keep their
  // selection, and the sort and the filter follow the new values.
  void setValues(std::shared_ptr<const WeaponTable> table) {
    relayout([&] {
      table_ = std::move(table);
      order();
      filter();
    });
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  }
  void setViewing(bool viewing) {
    if (viewing == viewing_) return;
    relayout([&] {
      viewing_ = viewing;
      order();
      filter();
    });
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  }
  void setFilter(const QString& text) {
    relayout([&] {
      filter_ = TableFilter(text.toStdString());
      filter();
    });
  }
  bool viewing() const { return viewing_; }
  const TableFilter& filterWords() const { return filter_; }
  const std::vector<Column>& columns() const { return columns_; }
  const WeaponTable& table() const { return *table_; }
  // The list entry shown in row `row`, and the row showing list entry
  // `entry` (-1 when the filter hides it).
  int entryAt(int row) const { return static_cast<int>(shown()[row]); }
  int rowOf(int entry) const {
    const auto at = std::find(shown().begin(), shown().end(), static_cast<std::size_t>(entry));
    return at == shown().end() ? -1 : static_cast<int>(at - shown().begin());
  }

  // The text of list entry `entry` in `column`.
  std::string text(int entry, int column) const {
    const Column& c = columns_[column];
    return cellText(*table_, entry, c, viewing_, c.needsDamage() ? table_->damage(entry) : std::vector<std::string>());
  }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(shown().size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return fromCp1252(text(entryAt(index.row()), index.column()));
    if (role == Qt::TextAlignmentRole && columns_[index.column()].numeric())
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
      return fromUtf8(columnCaption(columns_[section], viewing_));
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section >= 0 && section < columnCount())
      return fromUtf8(columns_[section].name);
    // A row's number is its place in the list, whatever the sort.
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && section >= 0 && section < rowCount())
      return entryAt(section) + 1;
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  // Column -1 is list order. Both views sort on a click on either's header:
  // the second asks for the order the first made.
  void sort(int column, Qt::SortOrder order) override {
    if (column == sortColumn_ && order == sortOrder_) return;
    relayout([&] {
      sortColumn_ = column < columnCount() ? column : -1;
      sortOrder_ = order;
      this->order();
      filter();
    });
  }

 private:
  // Changes the rows shown by `change`; the views' selection and current
  // cell follow the rows they were on, or are dropped with a row filtered out.
  template <typename Change>
  void relayout(Change change) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> entries;
    for (const QModelIndex& i : before) entries.push_back(entryAt(i.row()));
    change();
    if (!before.isEmpty()) {
      std::vector<int> rowOfEntry(table_ ? table_->size() : 0, -1);
      for (std::size_t r = 0; r < shown().size(); ++r) rowOfEntry[shown()[r]] = static_cast<int>(r);
      QModelIndexList after;
      for (qsizetype i = 0; i < before.size(); ++i) {
        const std::size_t e = static_cast<std::size_t>(entries[i]);
        after << (e < rowOfEntry.size() && rowOfEntry[e] >= 0 ? index(rowOfEntry[e], before[i].column())
                                                              : QModelIndex());
      }
      changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  }
  // The rows in the sort's order.
  void order() {
    const std::size_t n = table_ ? table_->size() : 0;
    if (sortColumn_ < 0 || !table_) {
      order_.resize(n);
      for (std::size_t row = 0; row < n; ++row) order_[row] = row;
    } else {
      order_ = sortedRows(*table_, columns_[sortColumn_], viewing_, sortOrder_ == Qt::DescendingOrder);
    }
  }
  // The rows shown: every row without a filter.
  const std::vector<std::size_t>& shown() const { return filter_.empty() ? order_ : shown_; }
  // The rows the filter passes, in the sort's order.
  void filter() {
    shown_.clear();
    if (filter_.empty()) return;
    for (std::size_t row : order_)
      if (filter_.accepts(*table_, row, viewing_)) shown_.push_back(row);
  }

  std::shared_ptr<const WeaponTable> table_;
  std::vector<Column> columns_;
  bool viewing_ = true;
  TableFilter filter_;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
  std::vector<std::size_t> order_;  // every row, in the sort's order
  std::vector<std::size_t> shown_;  // the rows the filter passes, in that order; unused without a filter
};

CompareDialog::CompareDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("compareDialog");
  setWindowTitle("Compare weapons");
  auto* layout = new QVBoxLayout(this);
  summary_ = new QLabel(this);
  summary_->setObjectName("compareSummary");
  onlyDifferences_ = new QCheckBox("Only differences", this);
  onlyDifferences_->setObjectName("onlyDifferences");
  table_ = new QTableWidget(0, 3, this);
  table_->setObjectName("compareTable");
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  // The captions as wide as they need, the two weapons sharing the rest alike.
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  for (int c : {1, 2}) table_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);
  layout->addWidget(summary_);
  layout->addWidget(onlyDifferences_);
  layout->addWidget(table_);
  connect(onlyDifferences_, &QCheckBox::toggled, this, &CompareDialog::showRows);
  resize(640, 720);
}

void CompareDialog::compare(const CurrentWeapon& a, const CurrentWeapon& b, const QString& titleA,
                            const QString& titleB, bool viewing) {
  const std::vector<FieldPair> pairs = compareWeapons(a, b, viewing);
  table_->setRowCount(0);
  table_->setHorizontalHeaderLabels({"Field", titleA.trimmed(), titleB.trimmed()});
  int differing = 0;
  for (const FieldPair& p : pairs) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    const auto column = columnNamed(p.key);
    const QString caption =
        fromUtf8(column && column->kind == Column::Kind::Field ? columnCaption(*column, viewing) : p.key);
    const QString texts[] = {caption, fromCp1252(p.a), fromCp1252(p.b)};
    for (int c = 0; c < 3; ++c) {
      auto* item = new QTableWidgetItem(texts[c]);
      if (p.differs) {
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
        item->setBackground(QColor(255, 236, 179));
      }
      item->setData(Qt::UserRole, p.differs);
      table_->setItem(row, c, item);
    }
    differing += p.differs ? 1 : 0;
  }
  summary_->setText(QString("%1 fields differ").arg(differing));
  showRows();
}

void CompareDialog::showRows() {
  for (int row = 0; row < table_->rowCount(); ++row)
    table_->setRowHidden(row, onlyDifferences_->isChecked() && !table_->item(row, 0)->data(Qt::UserRole).toBool());
}

TableWindow::TableWindow(const MainWindowState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName("weaponsTable");
  updateTitle();
  model_ = new WeaponTableModel(this);
  compare_ = new CompareDialog(this);

  filter_ = new QLineEdit(this);
  filter_->setObjectName("tableFilter");
  filter_->setPlaceholderText("Filter: text, or KEY>NUMBER such as range>600 reloadtime<=1");
  filter_->setClearButtonEnabled(true);
  columns_ = new QToolButton(this);
  columns_->setObjectName("tableColumns");
  columns_->setText("Columns...");
  compareButton_ = new QPushButton("Compare", this);
  compareButton_->setObjectName("tableCompare");
  compareButton_->setEnabled(false);
  changeButton_ = new QPushButton("Change field...", this);
  changeButton_->setObjectName("tableChangeField");
  changeButton_->setEnabled(false);
  changeButton_->setToolTip("Set, multiply or add to one field of the selected weapons (F2)");
  changeAction_ = new QAction("Change field...", this);
  changeAction_->setShortcut(QKeySequence(Qt::Key_F2));
  changeAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  changeAction_->setEnabled(false);
  addAction(changeAction_);
  copyAction_ = new QAction("Copy", this);
  copyAction_->setShortcut(QKeySequence::Copy);
  copyAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  copyAction_->setEnabled(false);
  addAction(copyAction_);
  copyWithCaptionsAction_ = new QAction("Copy with column names", this);
  copyWithCaptionsAction_->setEnabled(false);
  saveButton_ = new QPushButton("Save as CSV...", this);
  saveButton_->setObjectName("tableSaveCsv");
  status_ = new QLabel(this);
  status_->setObjectName("tableStatus");

  view_ = new QTableView(this);
  view_->setObjectName("tableView");
  frozen_ = new QTableView(view_);
  frozen_->setObjectName("tableFrozenColumn");
  for (QTableView* v : {view_, frozen_}) {
    v->setModel(model_);
    v->setSortingEnabled(true);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::ExtendedSelection);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    v->setWordWrap(false);
    v->verticalHeader()->setDefaultSectionSize(v->fontMetrics().height() + 6);
    v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // A double-click or Enter on a row (or a single click, where the desktop
    // is set to open items so) picks its weapon.
    connect(v, &QTableView::activated, this,
            [this](const QModelIndex& index) { emit entryChosen(model_->entryAt(index.row())); });
    connect(v, &QTableView::clicked, this, [this](const QModelIndex& index) {
      if (compareFrom_ < 0) return;
      const int from = compareFrom_;
      compareFrom_ = -1;
      compareRows(from, model_->entryAt(index.row()));
    });
  }
  view_->horizontalHeader()->setSortIndicatorShown(true);
  view_->sortByColumn(-1, Qt::AscendingOrder);  // list order until a header is clicked
  // The frozen column shows the first column only, scrolls with the view and
  // shares its selection and sort.
  frozen_->setSelectionModel(view_->selectionModel());
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->verticalHeader()->hide();
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setStyleSheet("QTableView { border: none; }");
  connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, view_->verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(view_->verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(view_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
    if (section == 0) frozen_->setColumnWidth(0, size), placeFrozen();
  });
  connect(view_->verticalHeader(), &QHeaderView::geometriesChanged, this, &TableWindow::placeFrozen);
  connect(view_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, frozen_->horizontalHeader(),
          &QHeaderView::setSortIndicator);
  connect(frozen_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, view_, &QTableView::sortByColumn);
  // Turning sorting on put the frozen header's arrow on the entry column:
  // it shows the view's (none, in list order) from the start.
  frozen_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);

  auto* bar = new QHBoxLayout;
  bar->addWidget(filter_, 1);
  bar->addWidget(columns_);
  bar->addWidget(compareButton_);
  bar->addWidget(changeButton_);
  bar->addWidget(saveButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(view_, 1);
  layout->addWidget(status_);
  // Tab goes from the filter to the rows it filters, then to the buttons.
  setTabOrder(filter_, view_);
  setTabOrder(view_, columns_);
  setTabOrder(columns_, compareButton_);
  setTabOrder(compareButton_, changeButton_);
  setTabOrder(changeButton_, saveButton_);

  // The column chooser: every column but the entry, remembered between runs.
  const QStringList hidden = QSettings().value(kHiddenColumnsKey).toStringList();
  for (int c = 1; c < model_->columnCount(); ++c)
    view_->setColumnHidden(c, hidden.contains(fromUtf8(model_->columns()[c].name)));
  connect(columns_, &QToolButton::clicked, this, &TableWindow::chooseColumns);

  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    model_->setFilter(text);
    // Rows the filter hides leave the selection: the buttons follow what is
    // still selected.
    selectionChanged();
  });
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TableWindow::selectionChanged);
  connect(compareButton_, &QPushButton::clicked, this, &TableWindow::compareSelected);
  connect(changeButton_, &QPushButton::clicked, this, &TableWindow::changeField);
  connect(changeAction_, &QAction::triggered, this, &TableWindow::changeField);
  connect(copyAction_, &QAction::triggered, this, [this] { copyRows(false); });
  connect(copyWithCaptionsAction_, &QAction::triggered, this, [this] { copyRows(true); });
  // The selected rows' menu: what the buttons do to them.
  for (QTableView* v : {view_, frozen_}) {
    v->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(v, &QWidget::customContextMenuRequested, this, [this, v](const QPoint& at) {
      QMenu menu;
      menu.addAction("Compare", this, &TableWindow::compareSelected)->setEnabled(compareButton_->isEnabled());
      menu.addAction(changeAction_);
      menu.addSeparator();
      menu.addAction(copyAction_);
      menu.addAction(copyWithCaptionsAction_);
      menu.exec(v->viewport()->mapToGlobal(at));
    });
  }
  connect(saveButton_, &QPushButton::clicked, this, &TableWindow::saveCsv);
  // Ctrl+F goes to the filter box, as in a spreadsheet or an editor.
  auto* find = new QAction(this);
  find->setShortcut(QKeySequence::Find);
  find->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(find, &QAction::triggered, this, [this] {
    filter_->setFocus(Qt::ShortcutFocusReason);
    filter_->selectAll();
  });
  addAction(find);

  askCsvPath = [this]() -> std::optional<QString> {
    const QString suggested = fromPath(state_.gameDir() / "weapons.csv");
    const QString path = QFileDialog::getSaveFileName(this, "Save as CSV", suggested, "CSV files (*.csv)");
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
  };
  model_->setViewing(state_.viewingMode());
  reload();
  fitColumns();
  // Where the window was and the widths the user gave the columns, as it
  // was last closed.
  const QSettings settings;
  const QVariantMap widths = settings.value(kColumnWidthsKey).toMap();
  for (int c = 0; c < model_->columnCount(); ++c)
    if (const int width = widths.value(fromUtf8(model_->columns()[c].name)).toInt(); width > 0)
      view_->setColumnWidth(c, width);
  if (!restoreGeometry(settings.value(kGeometryKey).toByteArray())) resize(1000, 640);
}

TableWindow::~TableWindow() {
  // The views outlive this part of the window: what they signal while they
  // are hidden and destroyed must not reach it.
  view_->verticalHeader()->disconnect(this);
  view_->horizontalHeader()->disconnect(this);
  view_->selectionModel()->disconnect(this);
}

void TableWindow::reload() {
  table_ = std::make_shared<const WeaponTable>(state_.weaponList().entries(), state_.searchList());
  model_->setTable(table_);
  for (int c = 1; c < model_->columnCount(); ++c) frozen_->setColumnHidden(c, true);
  frozen_->setColumnWidth(0, view_->columnWidth(0));
  placeFrozen();
  updateStatus();
}

void TableWindow::stateChanged(unsigned changes) {
  if (changes & ListChanged)
    reload();
  else if (changes & EditsChanged)
    refreshValues();
  if (changes & (ListChanged | EditsChanged)) updateTitle();
  if (changes & CaptionsChanged) model_->setViewing(state_.viewingMode());
}

void TableWindow::refreshValues() {
  // Only the files an edit changed are read again.
  auto table = std::make_shared<const WeaponTable>(state_.weaponList().entries(), state_.searchList(), table_.get());
  if (table->size() != table_->size()) return reload();
  table_ = std::move(table);
  model_->setValues(table_);
  updateStatus();
}

std::vector<std::size_t> TableWindow::selectedEntries() const {
  QModelIndexList rows = view_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<std::size_t> out;
  for (const QModelIndex& r : rows) out.push_back(static_cast<std::size_t>(model_->entryAt(r.row())));
  return out;
}

void TableWindow::selectionChanged() {
  const qsizetype selected = view_->selectionModel()->selectedRows().size();
  compareButton_->setEnabled(selected == 2);
  changeButton_->setEnabled(selected > 0 && pushChanges != nullptr);
  changeAction_->setEnabled(changeButton_->isEnabled());
  copyAction_->setEnabled(selected > 0);
  copyWithCaptionsAction_->setEnabled(selected > 0);
  updateStatus();
}

ChangeFieldDialog* TableWindow::changeFieldDialog() const { return changeField_; }

void TableWindow::changeField() {
  const std::vector<std::size_t> entries = selectedEntries();
  if (entries.empty() || !pushChanges || (changeField_ && changeField_->isVisible())) return;
  // The key of the column of the current cell comes first.
  const int column = view_->currentIndex().column();
  const std::string key = column > 0 ? model_->columns()[column].name : std::string();
  auto targets = [this, entries](const std::string& k) { return fieldTargets(*table_, entries, k, state_.gameDir()); };
  changeField_ = new ChangeFieldDialog(targets, model_->viewing(), key, this);
  changeField_->setAttribute(Qt::WA_DeleteOnClose);
  changeField_->setWindowModality(Qt::ApplicationModal);
  connect(changeField_, &QDialog::accepted, this, [this, dialog = changeField_] {
    const FieldChangePlan& plan = dialog->plan();
    pushChanges(plan.changes(), fromCp1252(plan.description));
  });
  changeField_->open();
}

void TableWindow::chooseColumns() {
  std::vector<ColumnChoice::Item> items;
  std::vector<std::string> hidden;
  for (int c = 1; c < model_->columnCount(); ++c) {
    const Column& column = model_->columns()[c];
    items.push_back({column.name, columnCaption(column, true), true});
    if (view_->isColumnHidden(c)) hidden.push_back(column.name);
  }
  ColumnChoice choice(std::move(items), hidden);
  QSettings settings;
  ColumnChoice::Sets sets;
  const QVariantMap kept = settings.value(kColumnSetsKey).toMap();
  for (auto at = kept.begin(); at != kept.end(); ++at)
    for (const QString& name : at.value().toStringList()) sets[at.key().toStdString()].push_back(name.toStdString());
  choice.setSets(std::move(sets));

  ColumnDialog dialog(std::move(choice), this);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  // The sets are kept as they were saved, also when the choice is cancelled.
  QVariantMap setsKept;
  for (const auto& [name, columns] : dialog.choice().sets()) {
    QStringList names;
    for (const std::string& n : columns) names << fromUtf8(n);
    setsKept.insert(fromUtf8(name), names);
  }
  settings.setValue(kColumnSetsKey, setsKept);
  if (!accepted) return;
  const auto& chosen = dialog.choice().items();
  QStringList hiddenNames;
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    view_->setColumnHidden(static_cast<int>(i) + 1, !chosen[i].shown);
    if (!chosen[i].shown) hiddenNames << fromUtf8(chosen[i].name);
  }
  settings.setValue(kHiddenColumnsKey, hiddenNames);
}

void TableWindow::compareWith(int entry) {
  const int row = model_->rowOf(entry);
  if (row < 0) return;
  const QModelIndex at = model_->index(row, 0);
  view_->selectionModel()->select(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view_->scrollTo(at);
  compareFrom_ = entry;
  status_->setText("Click the weapon to compare " + fromCp1252(table_->entry(entry)).trimmed() + " with.");
}

void TableWindow::compareSelected() {
  const QModelIndexList rows = view_->selectionModel()->selectedRows();
  if (rows.size() != 2) return;
  int a = model_->entryAt(rows[0].row()), b = model_->entryAt(rows[1].row());
  if (rows[1].row() < rows[0].row()) std::swap(a, b);
  compareRows(a, b);
}

void TableWindow::compareRows(int a, int b) {
  compare_->compare(table_->weapon(a), table_->weapon(b), fromCp1252(table_->entry(a)), fromCp1252(table_->entry(b)),
                    model_->viewing());
  compare_->show();
  compare_->raise();
  compare_->activateWindow();
  updateStatus();
}

void TableWindow::saveCsv() {
  auto path = askCsvPath();
  if (!path) return;
  // A name typed without a suffix gets the one its file type has.
  if (QFileInfo(*path).suffix().isEmpty()) *path += ".csv";
  // What the window shows: the rows passing the filter in their order, the
  // shown columns in their order, with their captions.
  std::vector<std::size_t> rows;
  for (int r = 0; r < model_->rowCount(); ++r) rows.push_back(static_cast<std::size_t>(model_->entryAt(r)));
  const std::string csv = rowsText(rows, true, ',', "\r\n", appendCsvField);
  if (const auto error = platform::replaceFile(toPath(*path), csv))
    QMessageBox::warning(this, "Save as CSV", QString("Could not write \"%1\": %2.").arg(*path, fromUtf8(*error)));
}

void TableWindow::copyRows(bool withCaptions) {
  const std::vector<std::size_t> rows = selectedEntries();
  if (rows.empty()) return;
  QGuiApplication::clipboard()->setText(fromUtf8(rowsText(rows, withCaptions, '\t', "\n", appendClipboardCell)));
}

std::vector<int> TableWindow::shownColumns() const {
  std::vector<int> shown;
  const QHeaderView* header = view_->horizontalHeader();
  for (int v = 0; v < header->count(); ++v)
    if (!header->isSectionHidden(header->logicalIndex(v))) shown.push_back(header->logicalIndex(v));
  return shown;
}

std::string TableWindow::rowsText(const std::vector<std::size_t>& entries, bool withCaptions, char separator,
                                  std::string_view lineEnd, void (*cell)(std::string&, std::string_view)) const {
  const std::vector<int> shown = shownColumns();
  std::string text;
  if (withCaptions) {
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (i) text += separator;
      cell(text, columnCaption(model_->columns()[shown[i]], model_->viewing()));
    }
    text += lineEnd;
  }
  for (std::size_t row : entries) {
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (i) text += separator;
      cell(text, cp1252ToUtf8(model_->text(static_cast<int>(row), shown[i])));
    }
    text += lineEnd;
  }
  return text;
}

// Each column as wide as its header and the texts of its first rows, up to
// forty characters: entries and names read whole, and a long text does not
// push the other columns out of sight. Done once, when the window opens, so
// that widths the user sets stay. The rows looked at are few: each cell
// costs microseconds, and before the window is shown the view would look at
// all of them (a precision of 0 means no limit).
void TableWindow::fitColumns() {
  constexpr int kRowsLookedAt = 50, kWidestInCharacters = 40;
  view_->horizontalHeader()->setResizeContentsPrecision(kRowsLookedAt);
  view_->resizeColumnsToContents();
  const int widest = kWidestInCharacters * view_->fontMetrics().averageCharWidth();
  for (int c = 0; c < model_->columnCount(); ++c) view_->setColumnWidth(c, std::min(view_->columnWidth(c), widest));
}

void TableWindow::placeFrozen() {
  frozen_->setGeometry(view_->verticalHeader()->width() + view_->frameWidth(), view_->frameWidth(),
                       view_->columnWidth(0), view_->viewport()->height() + view_->horizontalHeader()->height());
}

void TableWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  QSettings settings;
  settings.setValue(kGeometryKey, saveGeometry());
  // A hidden column keeps the width it had when it was last shown.
  QVariantMap widths = settings.value(kColumnWidthsKey).toMap();
  for (int c = 0; c < model_->columnCount(); ++c)
    if (!view_->isColumnHidden(c)) widths.insert(fromUtf8(model_->columns()[c].name), view_->columnWidth(c));
  settings.setValue(kColumnWidthsKey, widths);
}

void TableWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeFrozen();
}

// Marked as the main window is while edits are unsaved: the table shows them.
void TableWindow::updateTitle() { setWindowTitle(state_.hasUnsavedEdits() ? "Weapons table *" : "Weapons table"); }

void TableWindow::updateStatus() {
  if (compareFrom_ >= 0) return;
  QString text = QString("%1 of %2 weapons").arg(model_->rowCount()).arg(table_->size());
  if (const qsizetype selected = view_->selectionModel()->selectedRows().size())
    text += QString(", %1 selected").arg(selected);
  // A field's name mistyped in the filter box, which makes its words texts.
  if (const auto& unknown = model_->filterWords().unknownFields(); !unknown.empty()) {
    const std::string_view near = nearestWeaponKey(toLower(unknown.front()));
    text += QString(" \u2014 no field \"%1\"%2: looked for as text")
                .arg(fromCp1252(unknown.front()),
                     near.empty() ? QString() : QString(" (did you mean \"%1\"?)").arg(fromUtf8(near)));
  }
  status_->setText(text);
}

}  // namespace qm::ui
