#include "ui/table_window.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "presentation/column_choice.h"
#include "text/text.h"
#include "ui/change_field_dialog.h"
#include "ui/chart_window.h"
#include "ui/column_dialog.h"
#include "ui/controls.h"

namespace qm::ui {

// The rows of the table's state as the view asks for them: each cell's text
// is made when it is shown, nothing is copied per cell. Both views sort on a
// click on either's header: the second asks for the order the first made.
class TableModel : public QAbstractTableModel {
 public:
  // The model holds the state: the views, which may ask for rows until
  // the window's last moment, go with it.
  TableModel(std::shared_ptr<const TableSource> source, QObject* parent)
      : QAbstractTableModel(parent), state_(std::move(source)) {}
  TableState& state() { return state_; }

  // New rows: the views start over.
  void setSource(std::shared_ptr<const TableSource> source) {
    beginResetModel();
    state_.setSource(std::move(source));
    endResetModel();
  }
  // The same rows with their values read again: the views keep their
  // selection, and the sort and the filter follow the new values.
  void setValues(std::shared_ptr<const TableSource> source) {
    relayout([&] { state_.setSource(std::move(source)); });
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  }
  void setViewing(bool viewing) {
    if (viewing == state_.viewing()) return;
    relayout([&] { state_.setViewing(viewing); });
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  }
  void setFilter(const QString& text) {
    relayout([&] { state_.setFilter(text.toStdString()); });
  }
  // The row of the source shown in view row `row`, and the view row
  // showing it (-1 when the filter hides it).
  std::size_t rowAt(int row) const { return state_.shown()[static_cast<std::size_t>(row)]; }
  int viewRowOf(std::size_t row) const {
    const auto place = state_.placeOf(row);
    return place ? static_cast<int>(*place) : -1;
  }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(state_.shown().size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(state_.source().columnCount());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    const auto column = static_cast<std::size_t>(index.column());
    if (role == Qt::DisplayRole) return fromCp1252(state_.cell(rowAt(index.row()), column));
    if (role == Qt::TextAlignmentRole && state_.source().numeric(column))
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && section >= 0 && section < columnCount()) {
      const auto column = static_cast<std::size_t>(section);
      if (role == Qt::DisplayRole) return fromUtf8(state_.caption(column));
      if (role == Qt::ToolTipRole) return fromCp1252(state_.source().columnName(column));
    }
    // A row's number is its place in the source (the list), whatever the sort.
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && section >= 0 && section < rowCount())
      return static_cast<qulonglong>(rowAt(section) + 1);
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  // Column -1 is the source's order.
  void sort(int column, Qt::SortOrder order) override {
    const bool descending = order == Qt::DescendingOrder;
    if (column == state_.sortColumn() && descending == state_.descending()) return;
    relayout([&] { state_.sortBy(column, descending); });
  }

 private:
  // Changes the rows shown by `change`; the views' selection and current
  // cell follow the rows they were on, or are dropped with a row filtered out.
  template <typename Change>
  void relayout(Change change) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::size_t> rows;
    for (const QModelIndex& i : before) rows.push_back(rowAt(i.row()));
    change();
    if (!before.isEmpty()) {
      std::vector<int> viewRow(state_.source().rowCount(), -1);
      for (std::size_t r = 0; r < state_.shown().size(); ++r) viewRow[state_.shown()[r]] = static_cast<int>(r);
      QModelIndexList after;
      for (qsizetype i = 0; i < before.size(); ++i) {
        const std::size_t row = rows[static_cast<std::size_t>(i)];
        after << (row < viewRow.size() && viewRow[row] >= 0 ? index(viewRow[row], before[i].column()) : QModelIndex());
      }
      changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  }

  TableState state_;
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

void CompareDialog::compare(const Compared& rows) {
  table_->setRowCount(0);
  table_->setHorizontalHeaderLabels({"Field", fromCp1252(rows.titleA), fromCp1252(rows.titleB)});
  for (const Compared::Row& p : rows.rows) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    const QString texts[] = {fromUtf8(p.caption), fromCp1252(p.a), fromCp1252(p.b)};
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
  }
  summary_->setText(fromUtf8(rows.summary()));
  showRows();
}

void CompareDialog::showRows() {
  for (int row = 0; row < table_->rowCount(); ++row)
    table_->setRowHidden(row, onlyDifferences_->isChecked() && !table_->item(row, 0)->data(Qt::UserRole).toBool());
}

TableWindow::TableWindow(const MainWindowState& state, Host& host, TableKind kind, QWidget* parent)
    : QWidget(parent), state_(state), host_(host), kind_(kind) {
  setObjectName(kind == TableKind::Weapons ? "weaponsTable" : "unitsTable");
  model_ = new TableModel(readRows(nullptr), this);
  table_ = &model_->state();
  compare_ = new CompareDialog(this);
  compare_->setWindowTitle(kind == TableKind::Weapons ? "Compare weapons" : "Compare units");
  buildControls();
  buildViews();
  buildFrozenColumn();
  buildLayout();
  buildActions();
  model_->setViewing(state_.viewingMode());
  updateTitle();
  rowsRead();
  fitColumns();
  restoreColumns();
}

TableWindow::~TableWindow() {
  // The views outlive this part of the window: what they signal while they
  // are hidden and destroyed must not reach it.
  view_->verticalHeader()->disconnect(this);
  view_->horizontalHeader()->disconnect(this);
  view_->selectionModel()->disconnect(this);
}

void TableWindow::buildControls() {
  const QString noun = fromUtf8(table_->source().noun(true));
  filter_ = new QLineEdit(this);
  filter_->setObjectName("tableFilter");
  filter_->setPlaceholderText(kind_ == TableKind::Weapons
                                  ? "Filter: text, or KEY>NUMBER such as range>600 reloadtime<=1"
                                  : "Filter: text, or KEY>NUMBER such as MaxDamage>1000 dps.per.metal>=0.1");
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
  changeButton_->setToolTip("Set, multiply or add to one field of the selected " + noun + " (F2)");
  saveButton_ = new QPushButton("Save as CSV...", this);
  saveButton_->setObjectName("tableSaveCsv");
  chartButton_ = new QPushButton("Chart...", this);
  chartButton_->setObjectName("tableChart");
  chartButton_->setToolTip("Two number columns of the " + noun + " shown as a scatter");
  status_ = new QLabel(this);
  status_->setObjectName("tableStatus");
}

void TableWindow::buildViews() {
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
    connect(v, &QTableView::activated, this, [this](const QModelIndex& index) {
      if (kind_ == TableKind::Weapons) emit entryChosen(static_cast<int>(model_->rowAt(index.row())));
    });
    connect(v, &QTableView::clicked, this, [this](const QModelIndex& index) {
      if (compareFrom_ < 0) return;
      const auto from = static_cast<std::size_t>(compareFrom_);
      compareFrom_ = -1;
      compareRows(from, model_->rowAt(index.row()));
    });
    v->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(v, &QWidget::customContextMenuRequested, this, [this, v](const QPoint& at) { showMenu(v, at); });
  }
  view_->horizontalHeader()->setSortIndicatorShown(true);
  view_->sortByColumn(-1, Qt::AscendingOrder);  // the source's order until a header is clicked
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TableWindow::selectionChanged);
}

void TableWindow::buildFrozenColumn() {
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
  // Turning sorting on put the frozen header's arrow on the name column:
  // it shows the view's (none, in the source's order) from the start.
  frozen_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

void TableWindow::buildLayout() {
  auto* bar = new QHBoxLayout;
  bar->addWidget(filter_, 1);
  bar->addWidget(columns_);
  bar->addWidget(compareButton_);
  bar->addWidget(changeButton_);
  bar->addWidget(saveButton_);
  bar->addWidget(chartButton_);
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
  setTabOrder(saveButton_, chartButton_);
}

void TableWindow::buildActions() {
  const auto action = [this](const QString& text, QKeySequence keys = {}) {
    auto* a = new QAction(text, this);
    a->setShortcut(keys);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(a);
    return a;
  };
  changeAction_ = action("Change field...", QKeySequence(Qt::Key_F2));
  changeAction_->setEnabled(false);
  copyAction_ = action("Copy", QKeySequence::Copy);
  copyAction_->setEnabled(false);
  copyWithCaptionsAction_ = action("Copy with column names");
  copyWithCaptionsAction_->setEnabled(false);
  // Ctrl+F goes to the filter box, as in a spreadsheet or an editor.
  QAction* find = action({}, QKeySequence::Find);

  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    model_->setFilter(text);
    // Rows the filter hides leave the selection: the buttons follow what is
    // still selected.
    selectionChanged();
  });
  connect(columns_, &QToolButton::clicked, this, &TableWindow::chooseColumns);
  connect(compareButton_, &QPushButton::clicked, this, &TableWindow::compareSelected);
  connect(changeButton_, &QPushButton::clicked, this, &TableWindow::changeField);
  connect(changeAction_, &QAction::triggered, this, &TableWindow::changeField);
  connect(copyAction_, &QAction::triggered, this, [this] { copyRows(false); });
  connect(copyWithCaptionsAction_, &QAction::triggered, this, [this] { copyRows(true); });
  connect(saveButton_, &QPushButton::clicked, this, &TableWindow::saveCsv);
  connect(chartButton_, &QPushButton::clicked, this, &TableWindow::openChart);
  connect(find, &QAction::triggered, this, [this] {
    filter_->setFocus(Qt::ShortcutFocusReason);
    filter_->selectAll();
  });
}

// The columns the chooser hid, and where the window was and the widths the
// user gave the columns, as it was last closed.
void TableWindow::restoreColumns() {
  const QSettings settings;
  const QStringList hidden = settings.value(settingsKey("hiddenColumns")).toStringList();
  const QVariantMap widths = settings.value(settingsKey("columnWidths")).toMap();
  for (int c = 0; c < model_->columnCount(); ++c) {
    const QString name = fromCp1252(table_->source().columnName(static_cast<std::size_t>(c)));
    if (c > 0) view_->setColumnHidden(c, hidden.contains(name));
    if (const int width = widths.value(name).toInt(); width > 0) view_->setColumnWidth(c, width);
  }
  if (!restoreGeometry(settings.value(settingsKey("geometry")).toByteArray())) resize(1000, 640);
}

QString TableWindow::settingsKey(const char* name) const {
  return QString(kind_ == TableKind::Weapons ? "weaponsTable/" : "unitsTable/") + name;
}

std::shared_ptr<const TableSource> TableWindow::readRows(const TableSource* previous) const {
  return kind_ == TableKind::Weapons ? weaponRows(state_, previous) : unitRows(state_, previous);
}

void TableWindow::reload() {
  model_->setSource(readRows(nullptr));
  rowsRead();
}

void TableWindow::rowsRead() {
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
  auto source = readRows(&table_->source());
  if (source->rowCount() != table_->source().rowCount()) return reload();
  model_->setValues(std::move(source));
  updateStatus();
}

std::vector<std::size_t> TableWindow::selectedRows() const {
  QModelIndexList rows = view_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<std::size_t> out;
  for (const QModelIndex& r : rows) out.push_back(model_->rowAt(r.row()));
  return out;
}

void TableWindow::selectionChanged() {
  const TableState::Offers offers = TableState::offers(
      static_cast<std::size_t>(view_->selectionModel()->selectedRows().size()), pushChanges != nullptr);
  compareButton_->setEnabled(offers.compare);
  changeButton_->setEnabled(offers.change);
  changeAction_->setEnabled(offers.change);
  copyAction_->setEnabled(offers.copy);
  copyWithCaptionsAction_->setEnabled(offers.copy);
  updateStatus();
}

void TableWindow::showMenu(QTableView* view, const QPoint& at) {
  QMenu menu;
  menu.addAction("Compare", this, &TableWindow::compareSelected)->setEnabled(compareButton_->isEnabled());
  menu.addAction(changeAction_);
  menu.addSeparator();
  menu.addAction(copyAction_);
  menu.addAction(copyWithCaptionsAction_);
  menu.exec(view->viewport()->mapToGlobal(at));
}

ChangeFieldDialog* TableWindow::changeFieldDialog() const { return changeField_; }

void TableWindow::changeField() {
  const std::vector<std::size_t> rows = selectedRows();
  if (rows.empty() || !pushChanges || (changeField_ && changeField_->isVisible())) return;
  // The key of the column of the current cell comes first.
  const int column = view_->currentIndex().column();
  const std::string key = column > 0 ? table_->source().columnName(static_cast<std::size_t>(column)) : std::string();
  const std::shared_ptr<const TableSource> source = table_->sourcePtr();
  ChangeFieldDialog::Rows of{source->changeKeys(table_->viewing()),
                             [source, rows](const std::string& k) { return source->targets(rows, k); },
                             [source](const std::vector<FieldTarget>& targets, const std::string& k, FieldOperation op,
                                      std::string_view operand) { return source->plan(targets, k, op, operand); },
                             std::string(source->noun(false)), std::string(source->noun(true))};
  changeField_ = new ChangeFieldDialog(std::move(of), key, this);
  changeField_->setAttribute(Qt::WA_DeleteOnClose);
  changeField_->setWindowModality(Qt::ApplicationModal);
  connect(changeField_, &QDialog::accepted, this, [this, dialog = changeField_] {
    const FieldChangePlan& plan = dialog->plan();
    pushChanges(plan.changes(), fromCp1252(plan.description));
  });
  changeField_->open();
}

ChartWindow* TableWindow::chartWindow() const { return chart_; }

void TableWindow::openChart() {
  // A chart of the rows shown now: one opened before goes.
  if (chart_) chart_->close();
  chartRows_ = table_->shown();
  chart_ = new ChartWindow(table_->chartSource(), this);
  chart_->setWindowFlag(Qt::Window);
  chart_->setAttribute(Qt::WA_DeleteOnClose);
  chart_->setWindowTitle(fromUtf8(table_->chartTitle()));
  connect(chart_, &ChartWindow::rowPicked, this, [this](std::size_t picked) {
    if (picked >= chartRows_.size()) return;
    const int row = model_->viewRowOf(chartRows_[picked]);
    if (row < 0) return;
    const QModelIndex at = model_->index(row, 0);
    view_->selectionModel()->select(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
    view_->scrollTo(at);
    raise();
    activateWindow();
  });
  chart_->resize(720, 520);
  chart_->show();
}

void TableWindow::chooseColumns() {
  std::vector<ColumnChoice::Item> items;
  std::vector<std::string> hidden;
  for (int c = 1; c < model_->columnCount(); ++c) {
    const auto column = static_cast<std::size_t>(c);
    const std::string& name = table_->source().columnName(column);
    items.push_back({name, table_->source().caption(column, true), true});
    if (view_->isColumnHidden(c)) hidden.push_back(name);
  }
  ColumnChoice choice(std::move(items), hidden);
  QSettings settings;
  ColumnChoice::Sets sets;
  const QVariantMap kept = settings.value(settingsKey("columnSets")).toMap();
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
  settings.setValue(settingsKey("columnSets"), setsKept);
  if (!accepted) return;
  const auto& chosen = dialog.choice().items();
  QStringList hiddenNames;
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    view_->setColumnHidden(static_cast<int>(i) + 1, !chosen[i].shown);
    if (!chosen[i].shown) hiddenNames << fromUtf8(chosen[i].name);
  }
  settings.setValue(settingsKey("hiddenColumns"), hiddenNames);
}

void TableWindow::compareWith(int row) {
  const int at = row < 0 ? -1 : model_->viewRowOf(static_cast<std::size_t>(row));
  if (at < 0) return;
  const QModelIndex index = model_->index(at, 0);
  view_->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view_->scrollTo(index);
  compareFrom_ = row;
  status_->setText(fromUtf8(table_->compareHint(static_cast<std::size_t>(row))));
}

void TableWindow::compareSelected() {
  const QModelIndexList rows = view_->selectionModel()->selectedRows();
  if (rows.size() != 2) return;
  std::size_t a = model_->rowAt(rows[0].row()), b = model_->rowAt(rows[1].row());
  if (rows[1].row() < rows[0].row()) std::swap(a, b);
  compareRows(a, b);
}

void TableWindow::compareRows(std::size_t a, std::size_t b) {
  compare_->compare(table_->compare(a, b));
  compare_->show();
  compare_->raise();
  compare_->activateWindow();
  updateStatus();
}

void TableWindow::saveCsv() { table_->saveCsv(host_, shownColumns(), state_.gameDir() / table_->csvName()); }

void TableWindow::copyRows(bool withCaptions) {
  const std::vector<std::size_t> rows = selectedRows();
  if (rows.empty()) return;
  QGuiApplication::clipboard()->setText(
      fromUtf8(table_->text(rows, shownColumns(), withCaptions, TableState::Format::Clipboard)));
}

std::vector<std::size_t> TableWindow::shownColumns() const {
  std::vector<std::size_t> shown;
  const QHeaderView* header = view_->horizontalHeader();
  for (int v = 0; v < header->count(); ++v)
    if (!header->isSectionHidden(header->logicalIndex(v)))
      shown.push_back(static_cast<std::size_t>(header->logicalIndex(v)));
  return shown;
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
  settings.setValue(settingsKey("geometry"), saveGeometry());
  // A hidden column keeps the width it had when it was last shown.
  QVariantMap widths = settings.value(settingsKey("columnWidths")).toMap();
  for (int c = 0; c < model_->columnCount(); ++c)
    if (!view_->isColumnHidden(c))
      widths.insert(fromCp1252(table_->source().columnName(static_cast<std::size_t>(c))), view_->columnWidth(c));
  settings.setValue(settingsKey("columnWidths"), widths);
}

void TableWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeFrozen();
}

// Marked as the main window is while edits are unsaved: the table shows them.
void TableWindow::updateTitle() { setWindowTitle(fromUtf8(table_->title(state_.hasUnsavedEdits()))); }

void TableWindow::updateStatus() {
  if (compareFrom_ >= 0) return;
  status_->setText(fromUtf8(table_->status(static_cast<std::size_t>(view_->selectionModel()->selectedRows().size()))));
}

}  // namespace qm::ui
