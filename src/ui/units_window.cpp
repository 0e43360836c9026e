#include "ui/units_window.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "text/text.h"
#include "ui/controls.h"

namespace qm::ui {

namespace {

constexpr int kKeyRole = Qt::UserRole;            // a value row's key, as bytes
constexpr int kEditRole = Qt::UserRole + 1;       // the text its editor starts with
constexpr int kMultiLineRole = Qt::UserRole + 2;  // whether its value spans lines
// The value rows' columns.
constexpr int kCaptionColumn = 0, kKeyColumn = 1, kValueColumn = 2, kHelpColumn = 3;

// The value's editor: one line, or a text box for a value over several
// lines (Enter starts a new line there; Ctrl+Enter or leaving it accepts,
// Escape cancels). What is typed goes to `commit`, not into the tree.
class ValueDelegate : public QStyledItemDelegate {
 public:
  ValueDelegate(std::function<void(const std::string&, const QString&)> commit, QObject* parent)
      : QStyledItemDelegate(parent), commit_(std::move(commit)) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    QWidget* editor =
        index.data(kMultiLineRole).toBool() ? static_cast<QWidget*>(new QPlainTextEdit(parent)) : new QLineEdit(parent);
    editor->setObjectName("unitValueEditor");
    return editor;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    const QString text = index.data(kEditRole).toString();
    if (auto* box = qobject_cast<QPlainTextEdit*>(editor))
      box->setPlainText(text);
    else
      static_cast<QLineEdit*>(editor)->setText(text);
  }
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    const auto* box = qobject_cast<QPlainTextEdit*>(editor);
    const QString text = box ? box->toPlainText() : static_cast<QLineEdit*>(editor)->text();
    commit_(index.siblingAtColumn(0).data(kKeyRole).toByteArray().toStdString(), text);
  }
  // Ctrl+Enter accepts a value over several lines, where Enter starts a
  // new line and Tab is a character of the value.
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* box = qobject_cast<QPlainTextEdit*>(object);
    if (box && event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() & Qt::ControlModifier) {
        emit commitData(box);
        emit closeEditor(box);
        return true;
      }
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override {
    QRect r = option.rect;
    if (qobject_cast<QPlainTextEdit*>(editor)) r.setHeight(std::max(r.height() + 8, option.fontMetrics.height() * 4));
    editor->setGeometry(r);
  }

 private:
  std::function<void(const std::string&, const QString&)> commit_;
};

}  // namespace

// The units the filter lets through, in the state's order.
class UnitListModel : public QAbstractTableModel {
 public:
  UnitListModel(UnitWindowState& state, QObject* parent) : QAbstractTableModel(parent), state_(state) {}
  void reset(const std::function<void()>& change) {
    beginResetModel();
    change();
    endResetModel();
  }
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(state_.rowCount());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kUnitListColumns; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return fromCp1252(state_.cell(static_cast<std::size_t>(index.row()), static_cast<UnitListColumn>(index.column())));
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kUnitListColumns)
      return {};
    return fromUtf8(UnitWindowState::caption(static_cast<UnitListColumn>(section)));
  }
  void sort(int column, Qt::SortOrder order) override {
    if (column < 0 || column >= kUnitListColumns) return;
    reset([&] { state_.sortBy(static_cast<UnitListColumn>(column), order == Qt::DescendingOrder); });
  }

 private:
  UnitWindowState& state_;
};

UnitsWindow::UnitsWindow(const MainWindowState& window, QWidget* parent)
    : QWidget(parent, Qt::Window), window_(window) {
  setObjectName("unitsWindow");
  setWindowTitle("Units");
  setWindowIcon(makeAppIcon());
  model_ = new UnitListModel(state_, this);

  filter_ = new QLineEdit(this);
  filter_->setObjectName("unitFilter");
  filter_->setPlaceholderText("Filter: a unit's name, side or description");
  filter_->setClearButtonEnabled(true);
  count_ = new QLabel(this);
  count_->setObjectName("unitCount");
  list_ = new QTableView(this);
  list_->setObjectName("unitList");
  list_->setModel(model_);
  list_->setSortingEnabled(true);
  list_->sortByColumn(0, Qt::AscendingOrder);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setWordWrap(false);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->horizontalHeader()->setStretchLastSection(true);
  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(filter_);
  leftLayout->addWidget(list_);
  leftLayout->addWidget(count_);

  title_ = new QLabel(this);
  title_->setObjectName("unitTitle");
  title_->setTextFormat(Qt::PlainText);
  title_->setFont(dialogFont(true));
  values_ = new QTreeWidget(this);
  values_->setObjectName("unitValues");
  values_->setHeaderLabels({"Field", "Key", "Value", ""});
  values_->setColumnCount(4);
  values_->setUniformRowHeights(false);
  values_->setEditTriggers(QAbstractItemView::NoEditTriggers);  // opened by double-click, Enter and F2 below
  values_->setItemDelegateForColumn(
      kValueColumn,
      new ValueDelegate([this](const std::string& key, const QString& typed) { commitValue(key, typed); }, values_));
  values_->installEventFilter(this);
  connect(values_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    if (item->flags() & Qt::ItemIsEditable) values_->editItem(item, kValueColumn);
  });
  help_ = new QLabel(this);
  help_->setObjectName("unitKeyHelp");
  help_->setTextFormat(Qt::PlainText);
  help_->setWordWrap(true);
  help_->setText(
      "\"?\" says what a key does. Double-click a value, or press Enter or F2, to change it; a value over several "
      "lines is accepted with Ctrl+Enter.");

  weapons_ = new QTableWidget(0, 3, this);
  weapons_->setObjectName("unitWeapons");
  weapons_->setHorizontalHeaderLabels({"Slot", "Weapon", "Damage per second"});
  weapons_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  weapons_->verticalHeader()->hide();
  weapons_->horizontalHeader()->setStretchLastSection(true);
  connect(weapons_, &QTableWidget::cellClicked, this, [this](int row, int column) {
    const QTableWidgetItem* item = weapons_->item(row, 1);
    if (column != 1 || !item || item->data(kEditRole).toString().isEmpty()) return;
    emit weaponChosen(item->data(kKeyRole).toByteArray().toStdString(), item->data(kEditRole).toString().toStdString());
  });

  auto* figures = new QFormLayout;
  for (int i = 0; i < 4; ++i) {
    auto* value = new QLabel(this);
    value->setObjectName(QString("unitFigure%1").arg(i));
    value->setTextFormat(Qt::PlainText);
    figures_.push_back(value);
    figureCaptions_.push_back(new QLabel(this));
    figures->addRow(figureCaptions_.back(), value);
  }
  builder_ = new QComboBox(this);
  builder_->setObjectName("unitBuilder");
  figures->addRow("Builder:", builder_);
  connect(builder_, &QComboBox::activated, this, [this](int index) {
    state_.setBuilder(builder_->itemData(index).toByteArray().toStdString());
    fillFigures();
  });

  auto* pack = new QPushButton("Pack changes...", this);
  pack->setObjectName("unitPackChanges");
  pack->setToolTip("Pack the override files of the game folder into a new archive");
  connect(pack, &QPushButton::clicked, this, &UnitsWindow::packRequested);
  auto* keys = new QLabel("Changes go on the main window's undo stack: Ctrl+Z undoes, Ctrl+S saves.", this);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(keys, 1);
  bottom->addWidget(pack);

  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(title_);
  rightLayout->addWidget(values_, 3);
  rightLayout->addWidget(help_);
  rightLayout->addWidget(weapons_, 1);
  rightLayout->addLayout(figures);
  rightLayout->addLayout(bottom);

  auto* split = new QSplitter(this);
  split->addWidget(left);
  split->addWidget(right);
  split->setStretchFactor(1, 1);
  split->setSizes({420, 680});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split);
  resize(1100, 700);

  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    const Unit* picked = state_.picked();
    model_->reset([&] { state_.setFilter(utf8ToCp1252(text.toStdString())); });
    showList();
    if (state_.picked() != picked) showUnitValues();
  });
  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
    if (!current.isValid()) return;
    const auto row = static_cast<std::size_t>(current.row());
    if (state_.pickedRow() == row) return;
    state_.pickRow(row);
    showUnitValues();
  });
  reload();
}

UnitsWindow::~UnitsWindow() = default;

void UnitsWindow::reload() {
  std::vector<WeaponFilePtr> imports;
  for (const std::string& path : window_.imports())
    if (WeaponFilePtr file = namedWeaponFile(path)) imports.push_back(std::move(file));
  model_->reset([&] { state_.load(window_.gameFiles(), imports, window_.editedFiles()); });
  QString leftOut;
  for (const UnreadableFile& f : state_.leftOut()) leftOut += fromUtf8(f.name + ": " + f.reason) + '\n';
  count_->setToolTip(leftOut.isEmpty() ? QString() : "Left out:\n" + leftOut.trimmed());
  builder_->clear();
  builder_->addItem("the side's commander", QByteArray());
  for (const std::string& name : state_.builders())
    builder_->addItem(fromCp1252(name), QByteArray::fromStdString(name));
  builder_->setCurrentIndex(std::max(0, builder_->findData(QByteArray::fromStdString(state_.builder()))));
  showList();
  showUnitValues();
}

void UnitsWindow::stateChanged(unsigned changes) {
  if (changes & ListChanged) return reload();
  if (!(changes & EditsChanged)) return;
  model_->reset([&] { state_.takeEdits(window_.editedFiles()); });
  showList();
  showUnitValues();
}

void UnitsWindow::showList() {
  count_->setText(fromUtf8(state_.countText()));
  setWindowTitle(fromUtf8(state_.windowTitle()));
  if (const auto row = state_.pickedRow()) {
    const QModelIndex index = model_->index(static_cast<int>(*row), 0);
    list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list_->scrollTo(index);
  }
}

void UnitsWindow::showUnitValues() {
  title_->setText(fromUtf8(state_.pickedTitle(window_.gameDir())));
  fillValues();
  fillWeapons();
  fillFigures();
}

void UnitsWindow::fillValues() {
  const std::vector<UnitValueGroup> groups = state_.groups();
  std::vector<std::string> keys;
  for (const UnitValueGroup& g : groups)
    for (const UnitValueRow& r : g.rows) keys.push_back(r.key);
  const std::string file = state_.picked() ? state_.picked()->file->name() : std::string();
  const auto fillRow = [this](QTreeWidgetItem* item, const UnitValueRow& r) {
    const QString edit = fromCp1252(state_.editText(r));
    item->setText(kValueColumn, edit);
    item->setData(kValueColumn, kEditRole, edit);
    item->setData(kValueColumn, kMultiLineRole, edit.contains('\n'));
    item->setToolTip(kValueColumn, edit);
    QFont font = item->font(kValueColumn);
    font.setItalic(r.edited);
    item->setFont(kValueColumn, font);
    item->setForeground(kValueColumn, r.edited ? QBrush(QColor(0x00, 0x00, 0xc0)) : QBrush());
  };
  // The same keys of the same unit: the values change in place, so that an
  // edit leaves the rows, the selection and the scroll where they were.
  if (file == shownFile_ && keys == shownKeys_) {
    for (int g = 0; g < values_->topLevelItemCount(); ++g) {
      QTreeWidgetItem* top = values_->topLevelItem(g);
      for (int r = 0; r < top->childCount(); ++r)
        fillRow(top->child(r), groups[static_cast<std::size_t>(g)].rows[static_cast<std::size_t>(r)]);
    }
    return;
  }
  // An edit that changes the rows is shown once its editor has closed.
  if (valueEditorOpen()) {
    QTimer::singleShot(0, this, [this] { fillValues(); });
    return;
  }
  shownFile_ = file;
  shownKeys_ = std::move(keys);
  values_->clear();
  for (const UnitValueGroup& g : groups) {
    auto* top = new QTreeWidgetItem(values_, {fromUtf8(g.name)});
    top->setFirstColumnSpanned(true);
    QFont bold = top->font(0);
    bold.setBold(true);
    top->setFont(0, bold);
    top->setFlags(Qt::ItemIsEnabled);
    for (const UnitValueRow& r : g.rows) {
      auto* item = new QTreeWidgetItem(top, {fromCp1252(r.caption), fromCp1252(r.key)});
      item->setData(0, kKeyRole, QByteArray::fromStdString(r.key));
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
      fillRow(item, r);
      auto* help = new QToolButton(values_);
      help->setText("?");
      help->setObjectName("help-" + fromCp1252(r.key));
      help->setAutoRaise(true);
      connect(help, &QToolButton::clicked, this, [this, r] { showHelp(r); });
      values_->setItemWidget(item, kHelpColumn, help);
    }
  }
  values_->expandAll();
  values_->resizeColumnToContents(kCaptionColumn);
  values_->resizeColumnToContents(kKeyColumn);
  values_->setColumnWidth(kValueColumn, std::max(values_->columnWidth(kValueColumn), 240));
  values_->setColumnWidth(kHelpColumn, values_->fontMetrics().height() + 12);
  if (!state_.keyAt().empty()) {
    for (QTreeWidgetItemIterator it(values_); *it; ++it)
      if ((*it)->data(0, kKeyRole).toByteArray().toStdString() == state_.keyAt()) {
        values_->setCurrentItem(*it, kValueColumn);
        values_->scrollToItem(*it);
        break;
      }
  }
}

bool UnitsWindow::valueEditorOpen() const {
  const auto* editor = values_->findChild<QWidget*>("unitValueEditor");
  return editor && editor->isVisible();
}

void UnitsWindow::fillWeapons() {
  const std::vector<UnitWeaponLink> links = state_.weapons();
  weapons_->setRowCount(static_cast<int>(links.size()));
  for (std::size_t i = 0; i < links.size(); ++i) {
    const UnitWeaponLink& l = links[i];
    const int row = static_cast<int>(i);
    weapons_->setItem(row, 0, new QTableWidgetItem(fromCp1252(l.slot)));
    auto* weapon = new QTableWidgetItem(fromCp1252(l.weapon));
    weapon->setData(kKeyRole, QByteArray::fromStdString(l.weapon));
    if (l.found) {
      // A link: a click shows the weapon in the main window.
      weapon->setData(kEditRole, fromUtf8(l.file));
      weapon->setForeground(palette().brush(QPalette::Link));
      QFont font = weapon->font();
      font.setUnderline(true);
      weapon->setFont(font);
      weapon->setToolTip("Show " + fromCp1252(l.weapon) + " in the main window");
    }
    weapons_->setItem(row, 1, weapon);
    weapons_->setItem(row, 2, new QTableWidgetItem(fromCp1252(l.dps)));
  }
  weapons_->resizeColumnsToContents();
}

void UnitsWindow::fillFigures() {
  const std::vector<UnitFigure> figures = state_.figures();
  for (std::size_t i = 0; i < figures_.size(); ++i) {
    figures_[i]->setText(i < figures.size() ? fromCp1252(figures[i].text) : QString());
    figureCaptions_[i]->setText(i < figures.size() ? fromUtf8(figures[i].caption) + ":" : QString());
  }
}

void UnitsWindow::showHelp(const UnitValueRow& row) { help_->setText(fromUtf8(UnitWindowState::helpText(row))); }

void UnitsWindow::commitValue(const std::string& key, const QString& typed) {
  const std::vector<edit::Change> changes = state_.valueChange(key, utf8ToCp1252(typed.toStdString()));
  if (changes.empty() || !pushChanges) return;
  pushChanges(changes, fromUtf8(UnitWindowState::changeName(changes)));
}

void UnitsWindow::showAt(const std::string& file, int line) {
  if (state_.pickAt(file, line)) {
    shownFile_.clear();  // the rows are made again, to show the key
    showPicked();
  }
  comeForward();
  values_->setFocus();
}

void UnitsWindow::showUnit(const std::string& name) {
  if (state_.pickUnit(name)) showPicked();
  comeForward();
}

void UnitsWindow::showPicked() {
  model_->reset([] {});
  filter_->blockSignals(true);
  filter_->setText(fromCp1252(state_.filter()));
  filter_->blockSignals(false);
  showList();
  showUnitValues();
}

void UnitsWindow::comeForward() {
  show();
  raise();
  activateWindow();
}

bool UnitsWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == values_ && event->type() == QEvent::KeyPress && !valueEditorOpen()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    QTreeWidgetItem* item = values_->currentItem();
    if ((key == Qt::Key_F2 || key == Qt::Key_Return || key == Qt::Key_Enter) && item &&
        (item->flags() & Qt::ItemIsEditable)) {
      values_->editItem(item, kValueColumn);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace qm::ui
