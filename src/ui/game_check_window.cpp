#include "ui/game_check_window.h"

#include <QAbstractTableModel>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPromise>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

#include "checks/check_set.h"
#include "presentation/main_window_state.h"
#include "text/text.h"
#include "ui/controls.h"
#include "unit/unit_checks.h"

namespace qm::ui {

namespace {

// How long a run may take before the progress bar shows.
constexpr int kBlinkMs = 150;
// The window's size, and its least width when it is narrowed to fit beside
// the main window.
constexpr int kWidth = 820, kHeight = 520, kLeastWidth = 320;
const QString kWidthKey = "gameCheck/width";  // the width the user gave the window last
// Where the checks the user hides are kept.
// Long texts lose their end, not their middle: a message stays readable up
// to the cut, and its whole text is the cell's tooltip.
class ElideRightDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideRight;
  }
};

const QString kHiddenCategoriesKey = "gameCheck/hiddenCategories", kHiddenChecksKey = "gameCheck/hiddenChecks";
// The weapon a row of the references points at, as the file's bytes, and its file.
constexpr int kWeaponRole = Qt::UserRole, kFileRole = Qt::UserRole + 1;
// A unit that uses a weapon: its file and the line that names the weapon.
constexpr int kUnitFileRole = Qt::UserRole + 2, kUnitLineRole = Qt::UserRole + 3;

QStringList toQt(const std::vector<std::string>& names) {
  QStringList out;
  for (const std::string& n : names) out << fromUtf8(n);
  return out;
}

std::vector<std::string> fromQt(const QStringList& names) {
  std::vector<std::string> out;
  for (const QString& n : names) out.push_back(n.toStdString());
  return out;
}

// The filter the user chose last; the standard one the first time.
CheckFilter rememberedFilter() {
  const QSettings settings;
  if (!settings.contains(kHiddenCategoriesKey) && !settings.contains(kHiddenChecksKey)) return {};
  return CheckFilter(fromQt(settings.value(kHiddenCategoriesKey).toStringList()),
                     fromQt(settings.value(kHiddenChecksKey).toStringList()));
}

// A table whose rows the subclass counts and fills.
class TableModel : public QAbstractTableModel {
 public:
  TableModel(QStringList headers, std::filesystem::path gameDir, QObject* parent)
      : QAbstractTableModel(parent), gameDir_(std::move(gameDir)), headers_(std::move(headers)) {}

  void show(std::shared_ptr<const GameCheckResult> result) {
    beginResetModel();
    result_ = std::move(result);
    endResetModel();
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : headers_.size(); }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return headers_.value(section);
    return {};
  }

 protected:
  // A file by its path in the game folder.
  QString shortName(const std::string& file) const { return fromUtf8(gameRelativeName(gameDir_, file)); }
  // A message with the files it names by their paths in the game folder.
  QString shortNames(const std::string& message) const {
    return fromUtf8(message).replace(fromPath(gameDir_) + '/', QString());
  }
  QString placeOf(const std::string& file, int line) const { return shortName(file) + ':' + QString::number(line); }

  std::shared_ptr<const GameCheckResult> result_;
  std::filesystem::path gameDir_;

 private:
  QStringList headers_;
};

}  // namespace

// The 256 IDs: who uses each, and whether it is free, used or in conflict.
class CensusModel : public TableModel {
 public:
  CensusModel(std::filesystem::path gameDir, QObject* parent)
      : TableModel({"ID", "Status", "Weapons", "Where"}, std::move(gameDir), parent) {}

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() || !result_ ? 0 : kIdCount; }

  QVariant data(const QModelIndex& index, int role) const override {
    // The whole names and places as tooltips: the cells may cut them.
    if (role == Qt::ToolTipRole) return index.column() >= 2 ? data(index, Qt::DisplayRole) : QVariant();
    if (!result_ || role != Qt::DisplayRole) return {};
    const int id = index.row();
    const auto& users = result_->check.census().users[static_cast<std::size_t>(id)];
    const auto& weapons = result_->check.weapons();
    switch (index.column()) {
      case 0:
        return id;
      case 1:
        if (users.empty()) return QStringLiteral("free");
        return conflict(id) ? QStringLiteral("conflict") : QStringLiteral("used");
      case 2: {
        QStringList names;
        for (std::size_t u : users) names << fromCp1252(weapons[u].name);
        return names.join(", ");
      }
      default: {
        QStringList places;
        for (std::size_t u : users) places << placeOf(weapons[u].file, weapons[u].line);
        return places.join("; ");
      }
    }
  }

  // The first weapon on the ID of a row, or nothing.
  const WeaponRecord* firstWeapon(int row) const {
    if (!result_ || row < 0 || row >= kIdCount) return nullptr;
    const auto& users = result_->check.census().users[static_cast<std::size_t>(row)];
    return users.empty() ? nullptr : &result_->check.weapons()[users.front()];
  }

 private:
  bool conflict(int id) const {
    const auto& conflicts = result_->check.census().conflicts;
    return std::any_of(conflicts.begin(), conflicts.end(), [id](const IdConflict& c) { return c.id == id; });
  }
};

// The linter's findings, in file and line order.
class FindingsModel : public TableModel {
 public:
  FindingsModel(std::filesystem::path gameDir, QObject* parent)
      : TableModel({"File", "Line", "Severity", "Message"}, std::move(gameDir), parent) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() || !result_ ? 0 : static_cast<int>(result_->check.findings().size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!result_) return {};
    const Finding& f = *finding(index.row());
    // The whole path and the whole message as tooltips: the cells may cut them.
    if (role == Qt::ToolTipRole && index.column() == 0) return fromUtf8(f.file);
    if (role == Qt::ToolTipRole && index.column() == 3) return fromUtf8(f.message) + " [" + fromUtf8(f.check) + "]";
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
      case 0:
        return shortName(f.file);
      case 1:
        return f.line > 0 ? QVariant(f.line) : QVariant();  // a file that could not be read has no line
      case 2:
        return fromUtf8(severityName(f.severity));
      default:
        return shortNames(f.message) + " [" + fromUtf8(f.check) + "]";
    }
  }

  const Finding* finding(int row) const {
    if (!result_ || row < 0 || row >= rowCount({})) return nullptr;
    return &result_->check.findings()[static_cast<std::size_t>(row)];
  }
};

// The findings the check filter and the filter box let through.
class FindingsProxy : public QSortFilterProxyModel {
 public:
  FindingsProxy(const FindingsModel& model, const CheckFilter& filter, QObject* parent)
      : QSortFilterProxyModel(parent), model_(model), filter_(filter) {}
  void refilter() { invalidateFilter(); }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    const Finding* f = model_.finding(row);
    return f && filter_.shows(f->check) && QSortFilterProxyModel::filterAcceptsRow(row, parent);
  }

 private:
  const FindingsModel& model_;
  const CheckFilter& filter_;
};

std::string weaponAt(const std::vector<WeaponRecord>& weapons, const std::string& file, int line) {
  std::string name;
  for (const WeaponRecord& w : weapons)
    if (w.file == file && w.line <= line) name = w.name;
  return name;
}

namespace {

// A tab: a filter box over a sortable table.
QWidget* filteredTable(QAbstractItemModel* model, QSortFilterProxyModel* proxy, QLineEdit*& filter, QTableView*& view,
                       const QString& hint, QWidget* parent) {
  auto* page = new QWidget(parent);
  auto* layout = new QVBoxLayout(page);
  filter = new QLineEdit(page);
  filter->setPlaceholderText(hint);
  filter->setClearButtonEnabled(true);
  proxy->setParent(page);
  proxy->setSourceModel(model);
  proxy->setFilterKeyColumn(-1);
  proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
  QObject::connect(filter, &QLineEdit::textChanged, proxy, &QSortFilterProxyModel::setFilterFixedString);
  view = new QTableView(page);
  view->setModel(proxy);
  view->setSortingEnabled(true);
  view->sortByColumn(-1, Qt::AscendingOrder);  // the model's own order until a header is clicked
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->verticalHeader()->hide();
  view->verticalHeader()->setMinimumSectionSize(1);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
  view->horizontalHeader()->setStretchLastSection(true);
  // Paths keep their file names in view.
  view->setTextElideMode(Qt::ElideMiddle);
  layout->addWidget(filter);
  layout->addWidget(view);
  return page;
}

}  // namespace

GameCheckWindow::GameCheckWindow(std::filesystem::path gameDir, std::function<std::vector<std::string>()> imports,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window),
      gameDir_(std::move(gameDir)),
      imports_(std::move(imports)),
      filter_(rememberedFilter()) {
  setWindowTitle("Game check");
  setObjectName("GameCheckWindow");
  setFont(dialogFont());
  resize(kWidth, kHeight);
  auto* layout = new QVBoxLayout(this);
  summary_ = new QLabel(this);
  summary_->setObjectName("summary");
  summary_->setTextFormat(Qt::PlainText);
  summary_->setWordWrap(true);  // the window may be narrowed to fit beside the main window
  checksButton_ = new QToolButton(this);
  checksButton_->setObjectName("checks");
  checksButton_->setText("Checks");
  checksButton_->setToolTip("The checks whose findings are shown");
  checksButton_->setPopupMode(QToolButton::InstantPopup);
  progress_ = new QProgressBar(this);
  progress_->hide();
  tabs_ = new QTabWidget(this);
  censusModel_ = new CensusModel(gameDir_, this);
  findingsModel_ = new FindingsModel(gameDir_, this);
  censusProxy_ = new QSortFilterProxyModel(this);
  findingsProxy_ = new FindingsProxy(*findingsModel_, filter_, this);
  QWidget* censusPage = filteredTable(censusModel_, censusProxy_, censusFilter_, censusView_,
                                      "Filter: an ID, a name, a file, free, used, conflict", tabs_);
  freeIds_ = new QLabel(censusPage);
  freeIds_->setObjectName("freeIds");
  freeIds_->setTextFormat(Qt::PlainText);
  freeIds_->setWordWrap(true);
  freeIds_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  static_cast<QVBoxLayout*>(censusPage->layout())->insertWidget(0, freeIds_);
  tabs_->addTab(censusPage, "Weapon IDs");
  tabs_->addTab(filteredTable(findingsModel_, findingsProxy_, findingsFilter_, findingsView_,
                              "Filter: a file, error, warning, a word of the message", tabs_),
                "Findings");
  censusView_->setObjectName("census");
  censusFilter_->setObjectName("censusFilter");
  findingsView_->setObjectName("findings");
  findingsView_->setItemDelegateForColumn(3, new ElideRightDelegate(findingsView_));
  findingsFilter_->setObjectName("findingsFilter");

  tabs_->addTab(buildReferencesPage(), "References");

  tabs_->setCornerWidget(checksButton_, Qt::TopRightCorner);
  layout->addWidget(summary_);
  layout->addWidget(progress_);
  layout->addWidget(tabs_);
  buildChecksMenu();

  connect(findingsView_, &QTableView::doubleClicked, this, &GameCheckWindow::chooseFinding);
  connect(censusView_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (const WeaponRecord* w = censusModel_->firstWeapon(censusProxy_->mapToSource(index).row()))
      emit weaponChosen(w->name, w->file);
  });
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
  connect(&watcher_, &QFutureWatcherBase::progressRangeChanged, progress_, &QProgressBar::setRange);
  connect(&watcher_, &QFutureWatcherBase::progressValueChanged, progress_, &QProgressBar::setValue);
  connect(&watcher_, &QFutureWatcherBase::finished, this, &GameCheckWindow::finished);
}

GameCheckWindow::~GameCheckWindow() {
  watcher_.cancel();
  watcher_.waitForFinished();
}

bool GameCheckWindow::running() const { return watcher_.isRunning(); }

void GameCheckWindow::placeBeside(const QWidget& other) {
  const QScreen* screen = other.screen();
  if (!screen) return;
  const QRect room = screen->availableGeometry();
  const QRect anchor = other.frameGeometry();
  // This window's frame is taken to be as thick as the other's.
  const QSize frame = anchor.size() - other.size();
  const int onRight = room.right() - anchor.right(), onLeft = anchor.left() - room.left();
  // As wide as the user left it last, narrowed to the room beside the other.
  const int wanted = std::max(QSettings().value(kWidthKey, kWidth).toInt(), kLeastWidth);
  resize(std::clamp(std::max(onRight, onLeft) - frame.width(), kLeastWidth, wanted), other.height());
  const int outer = width() + frame.width();
  // Where neither side has room, the main window's left part, with the weapon
  // list, stays in view.
  const int x = onRight >= outer  ? anchor.right() + 1
                : onLeft >= outer ? anchor.left() - outer
                                  : room.right() + 1 - outer;
  const int y = std::min(anchor.top(), room.bottom() + 1 - height() - frame.height());
  move(std::max(x, room.left()), std::max(y, room.top()));
}

QWidget* GameCheckWindow::buildReferencesPage() {
  auto* refsPage = new QWidget(tabs_);
  refsPage->setObjectName("referencesPage");
  auto* refsLayout = new QVBoxLayout(refsPage);
  refsNote_ = new QLabel(refsPage);
  refsNote_->setObjectName("referencesNote");
  refsNote_->setTextFormat(Qt::PlainText);
  refsNote_->setWordWrap(true);
  refsFilter_ = new QLineEdit(refsPage);
  refsFilter_->setObjectName("referencesFilter");
  refsFilter_->setPlaceholderText("Filter: a weapon, a unit, a key, a file, a missing name");
  refsFilter_->setClearButtonEnabled(true);
  refsModel_ = new QStandardItemModel(this);
  refsModel_->setHorizontalHeaderLabels({"Name", "What", "Where"});
  refsProxy_ = new QSortFilterProxyModel(refsPage);
  refsProxy_->setSourceModel(refsModel_);
  refsProxy_->setFilterKeyColumn(-1);
  refsProxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
  // A unit shows its weapon, and a weapon found shows its units.
  refsProxy_->setRecursiveFilteringEnabled(true);
  refsProxy_->setAutoAcceptChildRows(true);
  refsView_ = new QTreeView(refsPage);
  refsView_->setObjectName("references");
  refsView_->setModel(refsProxy_);
  refsView_->setUniformRowHeights(true);
  refsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  refsView_->setExpandsOnDoubleClick(false);  // a double-click shows the weapon
  refsView_->setTextElideMode(Qt::ElideMiddle);
  refsLayout->addWidget(refsNote_);
  refsLayout->addWidget(refsFilter_);
  refsLayout->addWidget(refsView_);
  connect(refsFilter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    refsProxy_->setFilterFixedString(text);
    refsView_->expandAll();
    widenReferences();
    showReferencesNote();
  });
  connect(refsView_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
    const QModelIndex first = index.siblingAtColumn(0);
    if (const QByteArray unit = first.data(kUnitFileRole).toByteArray(); !unit.isEmpty())
      return emit unitChosen(unit.toStdString(), first.data(kUnitLineRole).toInt());
    const QByteArray name = first.data(kWeaponRole).toByteArray();
    if (!name.isEmpty()) emit weaponChosen(name.toStdString(), first.data(kFileRole).toByteArray().toStdString());
  });
  return refsPage;
}

void GameCheckWindow::buildChecksMenu() {
  auto* menu = new QMenu(checksButton_);
  menu->setToolTipsVisible(true);
  for (Category c : kCategories) {
    QAction* category = menu->addAction(fromUtf8(categoryName(c)) + ": " + fromUtf8(categoryMeaning(c)));
    category->setObjectName("category-" + fromUtf8(categoryName(c)));
    category->setCheckable(true);
    category->setChecked(filter_.categoryShown(c));
    connect(category, &QAction::toggled, this, [this, c](bool shown) {
      filter_.setCategoryShown(c, shown);
      applyFilter();
    });
  }
  menu->addSeparator();
  for (Category c : kCategories) {
    QMenu* names = menu->addMenu("The " + fromUtf8(categoryName(c)) + " checks");
    names->setToolTipsVisible(true);
    for (const CheckInfo& info : allChecks()) {
      if (info.category != c) continue;
      QAction* check = names->addAction(fromUtf8(info.name));
      check->setObjectName(fromUtf8(info.name));
      check->setToolTip(fromUtf8(info.summary));
      check->setCheckable(true);
      check->setChecked(filter_.checkShown(info.name));
      connect(check, &QAction::toggled, this, [this, name = info.name](bool shown) {
        filter_.setCheckShown(name, shown);
        applyFilter();
      });
    }
  }
  checksButton_->setMenu(menu);
}

void GameCheckWindow::applyFilter() {
  QSettings settings;
  settings.setValue(kHiddenCategoriesKey, toQt(filter_.hiddenCategories()));
  settings.setValue(kHiddenChecksKey, toQt(filter_.hiddenChecks()));
  findingsProxy_->refilter();
  if (result_) showSummary();
}

void GameCheckWindow::showSummary() {
  const GameCheck& check = result_->check;
  // The list of the main window counts other files: say which.
  summary_->setText(
      fromUtf8(check.censusSummary() + "; " + shownFindingsSummary(check, filter_) +
               "\nCounted: every .tdf file of the game's weapons folder, loose or in its archives, and "
               "the imports. The weapon list holds the eight standard weapon files and the imports, unless it lists "
               "every weapon file of the game."));
}

void GameCheckWindow::showUsersOf(const std::string& weapon) {
  usersOf_ = weapon;
  tabs_->setCurrentWidget(refsView_->parentWidget());
  refsFilter_->setText(fromCp1252(weapon));
  runAndShow();
}

void GameCheckWindow::showReferencesNote() {
  if (!result_) return refsNote_->clear();
  const References& refs = result_->references;
  if (!usersOf_.empty() && refsFilter_->text() == fromCp1252(usersOf_))
    refsNote_->setText(fromUtf8(usersText(refs, result_->check.weapons(), usersOf_)));
  else
    refsNote_->setText(refs.hasUnits() ? "Each weapon with the units that use it, then the names no file of the game "
                                         "resolves. A double-click shows the weapon."
                                       : "This game has no unit files (units/*.fbi): no weapon shows the units that "
                                         "use it. The names no file of the game resolves follow the weapons.");
}

void GameCheckWindow::fillReferences() {
  const GameCheck& check = result_->check;
  const References& refs = result_->references;
  const auto shortName = [this](const std::string& file) { return fromUtf8(gameRelativeName(gameDir_, file)); };
  // A row: its three cells, the weapon it points at and the whole path as the
  // place's tooltip.
  const auto row = [&](const QString& name, const QString& what, const std::string& file, int line,
                       const std::string& weapon, const std::string& weaponFile) {
    QList<QStandardItem*> cells = {new QStandardItem(name), new QStandardItem(what),
                                   new QStandardItem(shortName(file) + ':' + QString::number(line))};
    cells[2]->setToolTip(fromUtf8(file));
    cells[0]->setData(QByteArray::fromStdString(weapon), kWeaponRole);
    cells[0]->setData(QByteArray::fromStdString(weaponFile), kFileRole);
    return cells;
  };
  refsModel_->removeRows(0, refsModel_->rowCount());
  const std::vector<WeaponUsers> weapons = weaponUsers(check.weapons(), refs);
  auto* weaponsGroup = new QStandardItem(QString("Weapons (%1)").arg(weapons.size()));
  for (const WeaponUsers& w : weapons) {
    const std::size_t units = unitCount(w.users);
    const QString what =
        units == 0 ? QString("no unit") : QString("used by %1 unit%2").arg(units).arg(units == 1 ? "" : "s");
    QList<QStandardItem*> cells =
        row(fromCp1252(w.weapon->name), what, w.weapon->file, w.weapon->line, w.weapon->name, w.weapon->file);
    for (const UnitUse* u : w.users) {
      QList<QStandardItem*> unit =
          row(fromCp1252(u->unit), fromCp1252(u->key), u->file, u->line, w.weapon->name, w.weapon->file);
      unit[0]->setData(QByteArray::fromStdString(u->file), kUnitFileRole);
      unit[0]->setData(u->line, kUnitLineRole);
      cells[0]->appendRow(unit);
    }
    weaponsGroup->appendRow(cells);
  }
  const std::vector<Unresolved> unresolved = refs.unresolved(check.weapons());
  auto* unresolvedGroup = new QStandardItem(QString("Unresolved names (%1)").arg(unresolved.size()));
  for (const Unresolved& u : unresolved) {
    const bool namedByWeapon = u.kind != Unresolved::Kind::Weapon;  // else named by a unit
    QList<QStandardItem*> cells = row(fromCp1252(u.name), fromUtf8(unresolvedText(u)), u.file, u.line,
                                      namedByWeapon ? u.holder : std::string(), namedByWeapon ? u.file : std::string());
    if (!namedByWeapon) {
      cells[0]->setData(QByteArray::fromStdString(u.file), kUnitFileRole);
      cells[0]->setData(u.line, kUnitLineRole);
    }
    unresolvedGroup->appendRow(cells);
  }
  refsModel_->appendRow(weaponsGroup);
  refsModel_->appendRow(unresolvedGroup);
  refsView_->expandAll();
  refsView_->resizeColumnToContents(0);
  refsView_->resizeColumnToContents(1);
  showReferencesNote();
}

void GameCheckWindow::widenReferences() {
  // Columns grow to the rows shown, never shrink: a filter that shows few
  // rows does not squeeze the texts of the next.
  for (int c : {0, 1}) {
    const int before = refsView_->columnWidth(c);
    refsView_->resizeColumnToContents(c);
    if (refsView_->columnWidth(c) < before) refsView_->setColumnWidth(c, before);
  }
}

void GameCheckWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  QSettings().setValue(kWidthKey, width());
}

void GameCheckWindow::runAndShow() {
  show();
  raise();
  activateWindow();
  if (running()) return;
  summary_->setText("Checking the game's weapon files...");
  progress_->setValue(0);
  watcher_.setFuture(QtConcurrent::run(
      [](QPromise<std::shared_ptr<const GameCheckResult>>& promise, std::filesystem::path gameDir,
         std::vector<std::string> imports) {
        // The same checks as `lint` of the whole game, the engine decided by
        // the files; every check, the display ones too: the filter hides them.
        const GameFiles set(gameDir);
        const std::vector<WeaponFilePtr> files = filesToCheck(set, imports);
        promise.setProgressRange(0, static_cast<int>(files.size()));
        auto result = std::make_shared<GameCheckResult>(set);
        const bool done =
            runGameAndUnitChecks(result->check, set, files, result->references, [&](std::size_t n, std::size_t) {
              promise.setProgressValue(static_cast<int>(n));
              return !promise.isCanceled();
            });
        if (!done) return;
        promise.addResult(std::shared_ptr<const GameCheckResult>(std::move(result)));
      },
      gameDir_, imports_()));
  QTimer::singleShot(kBlinkMs, this, [this] { progress_->setVisible(running()); });
}

void GameCheckWindow::finished() {
  progress_->hide();
  if (watcher_.future().resultCount() == 0) return;  // cancelled
  result_ = watcher_.result();
  censusModel_->show(result_);
  findingsModel_->show(result_);
  censusView_->resizeColumnsToContents();
  findingsView_->resizeColumnToContents(0);
  findingsView_->setColumnWidth(0, std::min(findingsView_->columnWidth(0), width() * 2 / 5));
  findingsView_->resizeColumnToContents(1);
  findingsView_->resizeColumnToContents(2);
  freeIds_->setText(fromUtf8(freeIdsText(result_->check.census())));
  showSummary();
  fillReferences();
  emit checked();
}

void GameCheckWindow::chooseFinding(const QModelIndex& index) {
  const Finding* f = findingsModel_->finding(findingsProxy_->mapToSource(index).row());
  if (!f || !result_) return;
  const std::string name = weaponAt(result_->check.weapons(), f->file, f->line);
  if (!name.empty()) return emit weaponChosen(name, f->file);
  if (f->file.size() > 4 && compareFolded(std::string_view(f->file).substr(f->file.size() - 4), ".fbi") == 0)
    emit unitChosen(f->file, f->line);
}

}  // namespace qm::ui
