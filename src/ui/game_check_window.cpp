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

#include "ui/controls.h"

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
// What a double-click on a row of the references shows: its place in the
// window's list of targets.
constexpr int kTargetRole = Qt::UserRole;

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

// A table of cells the state gives.
class CellModel : public QAbstractTableModel {
 public:
  CellModel(const GameCheckState& state, const std::vector<std::string>& captions, QObject* parent)
      : QAbstractTableModel(parent), state_(state), captions_(captions) {}

  void reset() {
    beginResetModel();
    endResetModel();
  }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(captions_.size());
  }
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : static_cast<int>(rows()); }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount({}))
      return fromUtf8(captions_[static_cast<std::size_t>(section)]);
    return {};
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const CheckCell c = cell(static_cast<std::size_t>(index.row()), static_cast<std::size_t>(index.column()));
    if (role == Qt::ToolTipRole) return c.tip.empty() ? QVariant() : QVariant(fromUtf8(c.tip));
    if (c.number) return *c.number;
    return c.text.empty() ? QVariant() : QVariant(fromUtf8(c.text));
  }

 protected:
  virtual std::size_t rows() const = 0;
  virtual CheckCell cell(std::size_t row, std::size_t column) const = 0;
  const GameCheckState& state_;

 private:
  const std::vector<std::string>& captions_;
};

}  // namespace

class CensusModel : public CellModel {
 public:
  CensusModel(const GameCheckState& state, QObject* parent)
      : CellModel(state, GameCheckState::censusCaptions(), parent) {}

 protected:
  std::size_t rows() const override { return state_.censusRows(); }
  CheckCell cell(std::size_t row, std::size_t column) const override { return state_.censusCell(row, column); }
};

class FindingsModel : public CellModel {
 public:
  FindingsModel(const GameCheckState& state, QObject* parent)
      : CellModel(state, GameCheckState::findingCaptions(), parent) {}

 protected:
  std::size_t rows() const override { return state_.findingRows(); }
  CheckCell cell(std::size_t row, std::size_t column) const override { return state_.findingCell(row, column); }
};

// The findings the check filter and the filter box let through.
class FindingsProxy : public QSortFilterProxyModel {
 public:
  FindingsProxy(const GameCheckState& state, QObject* parent) : QSortFilterProxyModel(parent), state_(state) {}
  void refilter() { invalidateFilter(); }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    return state_.findingShown(static_cast<std::size_t>(row)) && QSortFilterProxyModel::filterAcceptsRow(row, parent);
  }

 private:
  const GameCheckState& state_;
};

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
      gameDir_(gameDir),
      imports_(std::move(imports)),
      state_(std::move(gameDir), rememberedFilter()) {
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
  censusModel_ = new CensusModel(state_, this);
  findingsModel_ = new FindingsModel(state_, this);
  censusProxy_ = new QSortFilterProxyModel(this);
  findingsProxy_ = new FindingsProxy(state_, this);
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
    choose(state_.censusTarget(static_cast<std::size_t>(censusProxy_->mapToSource(index).row())));
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
  const auto box = [](const QRect& r) { return ScreenBox{r.x(), r.y(), r.width(), r.height()}; };
  const QSize frame = other.frameGeometry().size() - other.size();
  const ScreenBox place = qm::placeBeside(box(screen->availableGeometry()), box(other.frameGeometry()),
                                          {0, 0, frame.width(), frame.height()}, other.height(),
                                          QSettings().value(kWidthKey, kWidth).toInt(), kLeastWidth);
  resize(place.width, place.height);
  move(place.x, place.y);
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
    const QVariant at = index.siblingAtColumn(0).data(kTargetRole);
    if (at.isValid()) choose(refTargets_[at.toULongLong()]);
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
    category->setChecked(state_.filter().categoryShown(c));
    connect(category, &QAction::toggled, this, [this, c](bool shown) {
      state_.filter().setCategoryShown(c, shown);
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
      check->setChecked(state_.filter().checkShown(info.name));
      connect(check, &QAction::toggled, this, [this, name = info.name](bool shown) {
        state_.filter().setCheckShown(name, shown);
        applyFilter();
      });
    }
  }
  checksButton_->setMenu(menu);
}

void GameCheckWindow::applyFilter() {
  QSettings settings;
  settings.setValue(kHiddenCategoriesKey, toQt(state_.filter().hiddenCategories()));
  settings.setValue(kHiddenChecksKey, toQt(state_.filter().hiddenChecks()));
  findingsProxy_->refilter();
  summary_->setText(fromUtf8(state_.summary()));
}

void GameCheckWindow::showUsersOf(const std::string& weapon) {
  tabs_->setCurrentWidget(refsView_->parentWidget());
  refsFilter_->setText(fromUtf8(state_.showUsersOf(weapon)));
  runAndShow();
}

void GameCheckWindow::showReferencesNote() {
  refsNote_->setText(fromUtf8(state_.referencesNote(refsFilter_->text().toStdString())));
}

void GameCheckWindow::fillReferences() {
  refsModel_->removeRows(0, refsModel_->rowCount());
  refTargets_.clear();
  const std::function<QList<QStandardItem*>(const ReferenceRow&)> items = [&](const ReferenceRow& row) {
    QList<QStandardItem*> cells = {new QStandardItem(fromUtf8(row.name)), new QStandardItem(fromUtf8(row.what)),
                                   new QStandardItem(fromUtf8(row.where))};
    cells[2]->setToolTip(fromUtf8(row.whereTip));
    if (row.target.kind != CheckTarget::Kind::None) {
      cells[0]->setData(QVariant::fromValue<qulonglong>(refTargets_.size()), kTargetRole);
      refTargets_.push_back(row.target);
    }
    for (const ReferenceRow& child : row.children) cells[0]->appendRow(items(child));
    return cells;
  };
  for (const ReferenceRow& group : state_.references()) refsModel_->appendRow(items(group));
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
  state_.startRun();
  summary_->setText(fromUtf8(state_.summary()));
  progress_->setValue(0);
  watcher_.setFuture(QtConcurrent::run(
      [](QPromise<std::shared_ptr<const GameCheckResult>>& promise, std::filesystem::path gameDir,
         std::vector<std::string> imports) {
        auto result = checkWholeGame(
            gameDir, imports, [&](std::size_t files) { promise.setProgressRange(0, static_cast<int>(files)); },
            [&](std::size_t done) {
              promise.setProgressValue(static_cast<int>(done));
              return !promise.isCanceled();
            });
        if (result) promise.addResult(std::move(result));
      },
      gameDir_, imports_()));
  QTimer::singleShot(kBlinkMs, this, [this] { progress_->setVisible(running()); });
}

void GameCheckWindow::finished() {
  progress_->hide();
  const bool done = watcher_.future().resultCount() > 0;  // else cancelled
  state_.setResult(done ? watcher_.result() : nullptr);
  if (!done) return;
  censusModel_->reset();
  findingsModel_->reset();
  censusView_->resizeColumnsToContents();
  findingsView_->resizeColumnToContents(0);
  findingsView_->setColumnWidth(0, std::min(findingsView_->columnWidth(0), width() * 2 / 5));
  findingsView_->resizeColumnToContents(1);
  findingsView_->resizeColumnToContents(2);
  freeIds_->setText(fromUtf8(state_.freeIds()));
  summary_->setText(fromUtf8(state_.summary()));
  fillReferences();
  emit checked();
}

void GameCheckWindow::choose(const CheckTarget& target) {
  if (target.kind == CheckTarget::Kind::Weapon) emit weaponChosen(target.name, target.file);
  if (target.kind == CheckTarget::Kind::Unit) emit unitChosen(target.file, target.line);
}

void GameCheckWindow::chooseFinding(const QModelIndex& index) {
  choose(state_.findingTarget(static_cast<std::size_t>(findingsProxy_->mapToSource(index).row())));
}

}  // namespace qm::ui
