#include "ui/game_check_window.h"

#include <QAbstractTableModel>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPromise>
#include <QScreen>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

#include "checks/check_set.h"
#include "presentation/main_window_state.h"
#include "ui/controls.h"

namespace qm::ui {

namespace {

// How long a run may take before the progress bar shows.
constexpr int kBlinkMs = 150;
// The window's size, and its least width when it is narrowed to fit beside
// the main window.
constexpr int kWidth = 820, kHeight = 520, kLeastWidth = 480;

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
    return fromUtf8(message).replace(fromUtf8(gameDir_.string()) + QDir::separator(), QString());
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

std::string weaponAt(const std::vector<WeaponRecord>& weapons, const std::string& file, int line) {
  std::string name;
  for (const WeaponRecord& w : weapons)
    if (w.file == file && w.line <= line) name = w.name;
  return name;
}

namespace {

// A tab: a filter box over a sortable table.
QWidget* filteredTable(QAbstractItemModel* model, QSortFilterProxyModel*& proxy, QLineEdit*& filter, QTableView*& view,
                       const QString& hint, QWidget* parent) {
  auto* page = new QWidget(parent);
  auto* layout = new QVBoxLayout(page);
  filter = new QLineEdit(page);
  filter->setPlaceholderText(hint);
  filter->setClearButtonEnabled(true);
  proxy = new QSortFilterProxyModel(page);
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

GameCheckWindow::GameCheckWindow(std::filesystem::path gameDir, std::function<std::vector<WeaponFilePtr>()> files,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), gameDir_(std::move(gameDir)), files_(std::move(files)) {
  setWindowTitle("Game check");
  setObjectName("GameCheckWindow");
  setFont(dialogFont());
  resize(kWidth, kHeight);
  auto* layout = new QVBoxLayout(this);
  summary_ = new QLabel(this);
  summary_->setObjectName("summary");
  summary_->setTextFormat(Qt::PlainText);
  summary_->setWordWrap(true);  // the window may be narrowed to fit beside the main window
  progress_ = new QProgressBar(this);
  progress_->hide();
  tabs_ = new QTabWidget(this);
  censusModel_ = new CensusModel(gameDir_, this);
  findingsModel_ = new FindingsModel(gameDir_, this);
  tabs_->addTab(filteredTable(censusModel_, censusProxy_, censusFilter_, censusView_,
                              "Filter: an ID, a name, a file, free, used, conflict", tabs_),
                "Weapon IDs");
  tabs_->addTab(filteredTable(findingsModel_, findingsProxy_, findingsFilter_, findingsView_,
                              "Filter: a file, error, warning, a word of the message", tabs_),
                "Findings");
  censusView_->setObjectName("census");
  censusFilter_->setObjectName("censusFilter");
  findingsView_->setObjectName("findings");
  findingsFilter_->setObjectName("findingsFilter");
  layout->addWidget(summary_);
  layout->addWidget(progress_);
  layout->addWidget(tabs_);

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
  resize(std::clamp(std::max(onRight, onLeft) - frame.width(), kLeastWidth, kWidth), other.height());
  const int outer = width() + frame.width();
  // Where neither side has room, the main window's left part, with the weapon
  // list, stays in view.
  const int x = onRight >= outer  ? anchor.right() + 1
                : onLeft >= outer ? anchor.left() - outer
                                  : room.right() + 1 - outer;
  const int y = std::min(anchor.top(), room.bottom() + 1 - height() - frame.height());
  move(std::max(x, room.left()), std::max(y, room.top()));
}

void GameCheckWindow::runAndShow() {
  show();
  raise();
  activateWindow();
  if (running()) return;
  summary_->setText("Checking the game's weapon files...");
  progress_->setValue(0);
  watcher_.setFuture(QtConcurrent::run(
      [](QPromise<std::shared_ptr<const GameCheckResult>>& promise, std::vector<WeaponFilePtr> files) {
        promise.setProgressRange(0, static_cast<int>(files.size()));
        auto result = std::make_shared<GameCheckResult>();
        const bool done = runGameCheck(result->check, files, [&](std::size_t n, std::size_t) {
          promise.setProgressValue(static_cast<int>(n));
          return !promise.isCanceled();
        });
        if (!done) return;
        promise.addResult(std::shared_ptr<const GameCheckResult>(std::move(result)));
      },
      files_()));
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
  const GameCheck& check = result_->check;
  // The list of the main window counts other files: say which.
  summary_->setText(QString::fromStdString(check.censusSummary() + "; " + check.findingsSummary() +
                                           "\nCounted: every .tdf file of the game's weapons folder, loose or in its "
                                           "archives, and the imports. The weapon list holds the eight standard weapon "
                                           "files and the imports."));
  emit checked();
}

void GameCheckWindow::chooseFinding(const QModelIndex& index) {
  const Finding* f = findingsModel_->finding(findingsProxy_->mapToSource(index).row());
  if (!f || !result_) return;
  const std::string name = weaponAt(result_->check.weapons(), f->file, f->line);
  if (!name.empty()) emit weaponChosen(name, f->file);
}

}  // namespace qm::ui
