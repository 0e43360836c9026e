#include "ui/game_check_window.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPromise>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "checks/check_set.h"
#include "ui/controls.h"

namespace qm::ui {

namespace {

// How long a run may take before the progress bar shows.
constexpr int kBlinkMs = 150;

// A table whose rows the subclass counts and fills.
class TableModel : public QAbstractTableModel {
 public:
  TableModel(QStringList headers, QObject* parent) : QAbstractTableModel(parent), headers_(std::move(headers)) {}

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
  std::shared_ptr<const GameCheckResult> result_;

 private:
  QStringList headers_;
};

QString place(const std::string& file, int line) { return QString::fromStdString(file) + ':' + QString::number(line); }

}  // namespace

// The 256 IDs: who uses each, and whether it is free, used or in conflict.
class CensusModel : public TableModel {
 public:
  explicit CensusModel(QObject* parent) : TableModel({"ID", "Status", "Weapons", "Where"}, parent) {}

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() || !result_ ? 0 : kIdCount; }

  QVariant data(const QModelIndex& index, int role) const override {
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
        for (std::size_t u : users) names << FromCp1252(weapons[u].name);
        return names.join(", ");
      }
      default: {
        QStringList places;
        for (std::size_t u : users) places << place(weapons[u].file, weapons[u].line);
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
  explicit FindingsModel(QObject* parent) : TableModel({"File", "Line", "Severity", "Message"}, parent) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() || !result_ ? 0 : static_cast<int>(result_->check.findings().size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!result_ || role != Qt::DisplayRole) return {};
    const Finding& f = *finding(index.row());
    switch (index.column()) {
      case 0: return QString::fromStdString(f.file);
      case 1: return f.line;
      case 2: return FromUtf8(severityName(f.severity));
      default: return FromUtf8(f.message) + " [" + FromUtf8(f.check) + "]";
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
QWidget* filteredTable(QAbstractItemModel* model, QSortFilterProxyModel*& proxy, QLineEdit*& filter,
                       QTableView*& view, const QString& hint, QWidget* parent) {
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
  view->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(filter);
  layout->addWidget(view);
  return page;
}

}  // namespace

GameCheckWindow::GameCheckWindow(std::function<std::vector<WeaponFilePtr>()> files, QWidget* parent)
    : QWidget(parent, Qt::Window), files_(std::move(files)) {
  setWindowTitle("Game check");
  setObjectName("GameCheckWindow");
  resize(820, 520);
  auto* layout = new QVBoxLayout(this);
  summary_ = new QLabel(this);
  summary_->setObjectName("summary");
  progress_ = new QProgressBar(this);
  progress_->hide();
  tabs_ = new QTabWidget(this);
  censusModel_ = new CensusModel(this);
  findingsModel_ = new FindingsModel(this);
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
      emit weaponChosen(w->name);
  });
  connect(&watcher_, &QFutureWatcherBase::progressRangeChanged, progress_, &QProgressBar::setRange);
  connect(&watcher_, &QFutureWatcherBase::progressValueChanged, progress_, &QProgressBar::setValue);
  connect(&watcher_, &QFutureWatcherBase::finished, this, &GameCheckWindow::finished);
}

GameCheckWindow::~GameCheckWindow() {
  watcher_.cancel();
  watcher_.waitForFinished();
}

bool GameCheckWindow::running() const { return watcher_.isRunning(); }

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
  findingsView_->resizeColumnToContents(1);
  findingsView_->resizeColumnToContents(2);
  const GameCheck& check = result_->check;
  summary_->setText(QString::fromStdString(check.censusSummary() + "; " + check.findingsSummary()));
  emit checked();
}

void GameCheckWindow::chooseFinding(const QModelIndex& index) {
  const Finding* f = findingsModel_->finding(findingsProxy_->mapToSource(index).row());
  if (!f || !result_) return;
  const std::string name = weaponAt(result_->check.weapons(), f->file, f->line);
  if (!name.empty()) emit weaponChosen(name);
}

}  // namespace qm::ui
