#include "ui/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QToolTip>
#include <algorithm>
#include <functional>

#include "platform/files.h"
#include "text/text.h"
#include "ui/controls.h"
#include "ui/edit_controller.h"
#include "ui/export_dialog.h"
#include "ui/game_check_window.h"
#include "ui/layout.h"
#include "ui/pack_dialog.h"
#include "ui/qt_host.h"
#include "ui/quick_find.h"
#include "ui/table_window.h"
#include "ui/units_window.h"
#include "weapon/field_table.h"

namespace qm::ui {

// Passes the dialogs on and redraws what the state changed.
class MainWindow::WindowHost final : public Host {
 public:
  WindowHost(Host& dialogs, std::function<void(unsigned)> changed, std::function<std::filesystem::path()> gameDir)
      : dialogs_(dialogs), changed_(std::move(changed)), gameDir_(std::move(gameDir)) {}

  Answer msgBox(std::string_view text, Buttons buttons) override { return dialogs_.msgBox(text, buttons); }
  std::optional<std::filesystem::path> showOpen(const std::filesystem::path& startPath) override {
    return dialogs_.showOpen(startIn(startPath));
  }
  std::optional<std::filesystem::path> showSave(const std::filesystem::path& startPath,
                                                std::string_view filter) override {
    return dialogs_.showSave(startIn(startPath), filter);
  }
  std::optional<std::filesystem::path> chooseFolder(const std::filesystem::path& startPath) override {
    return dialogs_.chooseFolder(startIn(startPath));
  }
  std::optional<std::size_t> pickFromArchive(ArchiveView& view) override { return dialogs_.pickFromArchive(view); }
  void reportUnreadable(const std::vector<UnreadableFile>& files) override { dialogs_.reportUnreadable(files); }
  void reportImportFailure(const std::vector<UnreadableFile>& files) override { dialogs_.reportImportFailure(files); }
  bool confirmSave(const std::vector<std::pair<std::string, std::string>>& files) override {
    return dialogs_.confirmSave(files);
  }
  void changed(unsigned changes) override {
    changed_(changes);
    dialogs_.changed(changes);
  }

 private:
  std::filesystem::path startIn(const std::filesystem::path& path) const { return dialogStart(path, gameDir_()); }

  Host& dialogs_;
  std::function<void(unsigned)> changed_;
  std::function<std::filesystem::path()> gameDir_;
};

namespace {

QLabel* makeLabel(QWidget* parent, std::string_view name, std::string_view text, Qt::Alignment align) {
  auto* label = new QLabel(fromUtf8(text), parent);
  label->setObjectName(fromUtf8(name));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(align);
  return label;
}

}  // namespace

MainWindow::MainWindow(std::filesystem::path gameDir, Host* dialogs)
    : realDialogs_(dialogs ? nullptr : std::make_unique<QtHost>()),
      host_(std::make_unique<WindowHost>(
          dialogs ? *dialogs : *realDialogs_, [this](unsigned changes) { refresh(changes); },
          [this] { return state_.gameDir(); })),
      state_(std::move(gameDir), *host_) {
  setObjectName(fromUtf8(kMainWindowName));
  setWindowTitle(fromUtf8(kAppTitle));
  setWindowIcon(makeAppIcon());
  setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(dialogFont());

  buildFrames();
  // Lines first: every other control is drawn over them.
  buildLines();
  buildHeadings();
  buildFieldRows();
  buildSelection();
  buildOptions();
  buildDescriptionPanel();
  buildTabOrder();
  buildGameCheckHooks();
  editing_ = new EditController(*this, state_, *host_, valueLabels_, damageList_, container(Frame::Options));

  const TwipScale scale = screenScale();
  setFixedSize(scale.px(kMainWidth), scale.px(kMainHeight));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  // The start-up scan runs before the window is first shown; it fills the
  // value and caption labels. The damage list shows its starting item.
  refresh(DamageChanged);
  state_.setAllWeaponFiles(QSettings().value(kAllWeaponFilesKey, false).toBool());
  state_.rebuildList();
}

MainWindow::~MainWindow() {
  unitsWindow_.reset();
  delete editing_;
  editing_ = nullptr;
  exportDialog_.reset();
  packDialog_.reset();
  weaponList_->lineEdit()->removeEventFilter(this);
  // The controls go first, while the state they read still exists: closing
  // the window makes the list's edit field look up its entries once more.
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

QLabel* MainWindow::addLabel(const ControlLayout& place, Qt::Alignment align) {
  QLabel* label = makeLabel(container(place.frame), place.name, place.text, align);
  label->setGeometry(toPixels(screenScale(), place.rect));
  return label;
}

void MainWindow::buildFrames() {
  const TwipScale scale = screenScale();
  containers_[Frame::Window] = this;
  for (const FrameLayout& f : kMainFrames) {
    auto* box = new FrameBox(fromUtf8(f.caption), this);
    box->setObjectName(fromUtf8(f.name));
    box->setGeometry(toPixels(scale, f.rect));
    containers_[f.frame] = box;
  }
}

void MainWindow::buildLines() {
  const TwipScale scale = screenScale();
  for (const LineLayout& l : kMainLines) {
    const bool horizontal = l.from.y == l.to.y;
    auto* line = new QFrame(container(l.frame));
    line->setObjectName(fromUtf8(l.name));
    line->setFrameShape(horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    const int x = scale.px(l.from.x), y = scale.px(l.from.y);
    line->setGeometry(horizontal ? QRect(x, y, scale.px(l.to.x) - x + 1, 1) : QRect(x, y, 1, scale.px(l.to.y) - y + 1));
  }
}

void MainWindow::buildHeadings() {
  const TwipScale scale = screenScale();
  for (const HeadingLayout& h : kHeadings) {
    QLabel* heading = makeLabel(container(h.frame), h.name, h.text, Qt::AlignCenter);
    heading->setFont(dialogFont(true));
    heading->setGeometry(toPixels(scale, h.rect));
  }
}

void MainWindow::buildFieldRows() {
  const TwipScale scale = screenScale();
  // A caption's text stands in the first line of its box, level with the
  // value of one-line rows.
  const int lineHeight = scale.px(255);
  const int captionTop = std::max(0, (lineHeight - QFontMetrics(dialogFont()).height()) / 2 - 1);
  for (const FieldRowLayout& row : kFieldRows) {
    QWidget* parent = container(row.frame);
    if (row.hasCaption()) {
      const int slot = slotIndex(fieldByNumber(row.field).slot);
      auto* caption = new BoxLabel(QString(), parent);
      caption->setObjectName(fromUtf8(row.caption));
      caption->setTextFormat(Qt::PlainText);
      caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      caption->setContentsMargins(2, captionTop, 2, 0);
      caption->setGeometry(toPixels(scale, row.captionRect));
      captionLabels_[slot] = caption;

      const Qt::Alignment align =
          row.valueAlign == Align::Centre ? Qt::Alignment(Qt::AlignCenter) : Qt::AlignLeft | Qt::AlignVCenter;
      QLabel* value = makeLabel(parent, row.value, {}, align);
      value->setGeometry(toPixels(scale, row.valueRect));
      valueLabels_[slot] = value;
    } else {
      damageList_ = new QListWidget(parent);
      damageList_->setObjectName(fromUtf8(row.value));
      damageList_->setGeometry(toPixels(scale, row.valueRect));
      focusable(row.value, damageList_);
    }

    auto* help = new QPushButton("?", parent);
    help->setObjectName(fromUtf8(row.button));
    help->setAutoDefault(true);  // Enter presses it too
    help->setGeometry(toPixels(scale, {row.buttonPos.x, row.buttonPos.y, kHelpButtonSize, kHelpButtonSize}));
    connect(help, &QPushButton::clicked, this, [this, field = row.field] { state_.describeField(field); });
    focusable(row.button, help);
  }
}

void MainWindow::buildSelection() {
  countLine_ = addLabel(placeOf(MainControl::CountLine), Qt::AlignLeft | Qt::AlignVCenter);

  const ControlLayout& list = placeOf(MainControl::WeaponList);
  weaponList_ = new QComboBox(container(list.frame));
  weaponList_->setObjectName(fromUtf8(list.name));
  weaponList_->setEditable(true);
  // Typing selects nothing: no completion and no new entries.
  weaponList_->setInsertPolicy(QComboBox::NoInsert);
  weaponList_->setCompleter(nullptr);
  weaponListModel_ = new WeaponListModel(state_.weaponList(), weaponList_);
  weaponList_->setModel(weaponListModel_);
  if (auto* view = qobject_cast<QListView*>(weaponList_->view())) view->setUniformItemSizes(true);
  weaponList_->setCurrentIndex(-1);
  weaponList_->setEditText(fromUtf8(list.text));
  // Enter in the edit field would pick an entry of the same text, and so
  // would leaving the field: the list's own reactions to both are cut off.
  weaponList_->lineEdit()->installEventFilter(this);
  disconnect(weaponList_->lineEdit(), &QLineEdit::editingFinished, weaponList_, nullptr);
  disconnect(weaponList_->lineEdit(), &QLineEdit::returnPressed, weaponList_, nullptr);
  connect(weaponList_, &QComboBox::activated, this, [this](int index) { showEntry(index); });
  weaponList_->setGeometry(toPixels(screenScale(), list.rect));
  focusable(list.name, weaponList_);
}

void MainWindow::buildOptions() {
  const TwipScale scale = screenScale();
  const auto addButton = [&](MainControl control, std::function<void()> action) {
    const ControlLayout& place = placeOf(control);
    auto* button = new WrapButton(fromUtf8(place.text), container(place.frame));
    button->setObjectName(fromUtf8(place.name));
    button->setAutoDefault(true);  // Enter presses it too
    button->setGeometry(toPixels(scale, place.rect));
    connect(button, &QPushButton::clicked, this, std::move(action));
    focusable(place.name, button);
  };
  addButton(MainControl::ExportButton, [this] { openExportDialog(); });
  addButton(MainControl::ImportButton, [this] {
    if (!editing_->settle()) return;
    state_.importFile();
    editing_->restart();
  });

  const ControlLayout& space = placeOf(MainControl::SpaceLabel);
  auto* spaceLabel = new ClickLabel(fromUtf8(space.text), container(space.frame));
  spaceLabel->setObjectName(fromUtf8(space.name));
  spaceLabel->setTextFormat(Qt::PlainText);
  spaceLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  spaceLabel->setGeometry(toPixels(scale, space.rect));
  connect(spaceLabel, &ClickLabel::clicked, this, [this] { state_.clickSpace(); });
  spaceLabel_ = spaceLabel;

  // Opaque, so that the line under it stops at its text.
  addLabel(placeOf(MainControl::ModeTitle), Qt::AlignCenter)->setAutoFillBackground(true);

  const auto addOption = [&](MainControl control, bool selected) {
    const ControlLayout& place = placeOf(control);
    auto* option = new QRadioButton(fromUtf8(place.text), container(place.frame));
    option->setObjectName(fromUtf8(place.name));
    option->setChecked(selected);
    option->setGeometry(toPixels(scale, place.rect));
    // Every click counts, also on the option already selected.
    connect(option, &QRadioButton::clicked, this, [this] { state_.setViewingMode(viewingOption_->isChecked()); });
    focusable(place.name, option);
    return option;
  };
  viewingOption_ = addOption(MainControl::ViewingOption, true);
  QRadioButton* actual = addOption(MainControl::ActualOption, false);
  // Alt+V and Alt+A choose a mode from anywhere in the window, as a click on
  // the option does.
  for (const auto& [keys, chosen] :
       {std::pair{Qt::ALT | Qt::Key_V, viewingOption_}, std::pair{Qt::ALT | Qt::Key_A, actual}}) {
    QRadioButton* option = chosen;  // a binding cannot be captured before C++20's last compilers
    option->setToolTip(QKeySequence(keys).toString(QKeySequence::NativeText));
    connect(new QShortcut(QKeySequence(keys), this), &QShortcut::activated, option, [option] {
      option->setFocus(Qt::ShortcutFocusReason);
      option->click();
    });
  }
}

void MainWindow::buildDescriptionPanel() {
  addLabel(placeOf(MainControl::KeyCaption), Qt::AlignLeft | Qt::AlignVCenter);
  descriptionKey_ = addLabel(placeOf(MainControl::DescriptionKey), Qt::AlignLeft | Qt::AlignVCenter);
  addLabel(placeOf(MainControl::DescriptionCaption), Qt::AlignLeft | Qt::AlignVCenter);
  descriptionText_ = addLabel(placeOf(MainControl::DescriptionText), Qt::AlignLeft | Qt::AlignTop);
  descriptionText_->setWordWrap(true);
}

void MainWindow::buildTabOrder() {
  // Each value label stands before its row's "?" button: Tab reaches it when
  // it takes the keyboard (in Actual Mode, where it can be edited).
  std::map<std::string_view, QWidget*> valueBefore;
  for (const FieldRowLayout& row : kFieldRows)
    if (row.hasCaption()) valueBefore[row.button] = valueLabels_[slotIndex(fieldByNumber(row.field).slot)];
  std::vector<QWidget*> order;
  for (std::string_view name : mainTabOrder()) {
    if (const auto value = valueBefore.find(name); value != valueBefore.end()) order.push_back(value->second);
    order.push_back(focusOrder_.at(name));
  }
  // The chain is made while every label takes Tab: a control that does not
  // is passed over when the order is set. The editing sets it as the mode
  // allows.
  for (QLabel* value : valueLabels_) value->setFocusPolicy(Qt::StrongFocus);
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  for (QLabel* value : valueLabels_) value->setFocusPolicy(Qt::ClickFocus);
  weaponList_->setFocus();
}

void MainWindow::refresh(unsigned changes) {
  if (changes & ListChanged) {
    // The edit field keeps its text when the list changes under it, and the
    // entry on display stays the current one, so that the arrow keys go on
    // from it.
    const QString text = weaponList_->currentText();
    weaponListModel_->reload();
    weaponList_->setCurrentIndex(shownIndex());
    weaponList_->setEditText(text);
  }
  if (changes & CountLineChanged) {
    countLine_->setText(fromUtf8(state_.countLine()));
    // What an import added is said beside the count line, without a box the
    // user must close; it stays as the line's tooltip.
    const QString note = fromUtf8(state_.importNote());
    if (note != countLine_->toolTip()) {
      countLine_->setToolTip(note);
      if (!note.isEmpty() && isVisible())
        QToolTip::showText(countLine_->mapToGlobal(QPoint(0, countLine_->height())), note, countLine_);
    }
  }
  if (changes & ValuesChanged)
    for (int s = 0; s < kSlotCount; ++s) setValueText(valueLabels_[s], fromCp1252(state_.valueTexts()[s]));
  if (changes & CaptionsChanged)
    for (int s = 0; s < kSlotCount; ++s) captionLabels_[s]->setText(fromUtf8(state_.captionTexts()[s]));
  if (changes & DamageChanged) {
    damageList_->clear();
    for (const std::string& item : state_.weapon().damage) damageList_->addItem(fromCp1252(item));
  }
  if (changes & DescriptionChanged) {
    descriptionKey_->setText(fromUtf8(state_.descriptionKey()));
    descriptionText_->setText(fromUtf8(state_.descriptionText()));
  }
  if (changes & SpaceTextChanged) spaceLabel_->setText(fromUtf8(state_.spaceText()));
  if (tableWindow_) tableWindow_->stateChanged(changes);
  if (unitsTable_) unitsTable_->stateChanged(changes);
  if (unitsWindow_) unitsWindow_->stateChanged(changes);
  if (editing_ && (changes & (ValuesChanged | DamageChanged))) editing_->refresh();
}

void MainWindow::openExportDialog() {
  // Shown without owner and without waiting; a second click only brings it
  // to the front.
  if (!exportDialog_) exportDialog_ = std::make_unique<ExportDialog>(state_, *host_);
  exportDialog_->present();
}

void MainWindow::showEntry(int index) {
  if (!editing_->settle()) {
    // The weapon on display stays, and so does the list's text.
    weaponList_->setEditText(fromCp1252(shownEntry_));
    return;
  }
  const auto& entries = state_.weaponList().entries();
  if (index >= 0 && static_cast<std::size_t>(index) < entries.size()) shownEntry_ = entries[index].text;
  state_.showListEntry(index);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A pack under way is stopped first: its dialog lives as long as the window.
  if (packDialog_ && packDialog_->packing()) {
    packDialog_->close();
    event->ignore();
    return;
  }
  if (!editing_->settle()) {
    event->ignore();
    return;
  }
  // The other windows close with the main window.
  if (gameCheck_) gameCheck_->close();
  if (tableWindow_) tableWindow_->close();
  if (unitsTable_) unitsTable_->close();
  if (unitsWindow_) unitsWindow_->close();
  QWidget::closeEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == weaponList_->lineEdit()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::buildGameCheckHooks() {
  // Ctrl+F: the quick find over the weapon list.
  connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, &MainWindow::openQuickFind);
  auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(shortcut, &QShortcut::activated, this, &MainWindow::openGameCheck);
  connect(new QShortcut(QKeySequence(Qt::Key_F6), this), &QShortcut::activated, this, &MainWindow::openWeaponsTable);
  connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this), &QShortcut::activated, this,
          &MainWindow::openUnitsTable);
  connect(new QShortcut(QKeySequence(Qt::Key_F7), this), &QShortcut::activated, this, &MainWindow::openUnits);
  // The list's edit field keeps its own menu, with the game check added.
  auto addMenu = [this](QWidget* widget, bool standard) {
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(widget, &QWidget::customContextMenuRequested, this, [this, widget, standard](const QPoint& at) {
      auto* edit = qobject_cast<QLineEdit*>(widget);
      std::unique_ptr<QMenu> menu(standard && edit ? edit->createStandardContextMenu() : new QMenu);
      if (!menu->isEmpty()) menu->addSeparator();
      menu->addAction("Weapons table...", QKeySequence(Qt::Key_F6), this, &MainWindow::openWeaponsTable);
      menu->addAction("Units table...", QKeySequence(Qt::SHIFT | Qt::Key_F6), this, &MainWindow::openUnitsTable);
      menu->addAction("Units...", QKeySequence(Qt::Key_F7), this, &MainWindow::openUnits);
      menu->addAction("Compare with...", this, &MainWindow::compareWith)->setEnabled(!shownEntry_.empty());
      menu->addAction("Used by...", this, &MainWindow::showUsers)->setEnabled(!shownEntry_.empty());
      menu->addAction("Game check...", QKeySequence(Qt::Key_F5), this, &MainWindow::openGameCheck);
      menu->addAction("Pack changes...", this, &MainWindow::packChanges);
      menu->addSeparator();
      QAction* all = menu->addAction("List every weapon file of the game");
      all->setObjectName("allWeaponFiles");
      all->setCheckable(true);
      all->setChecked(state_.allWeaponFiles());
      connect(all, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue(kAllWeaponFilesKey, on);
        state_.setAllWeaponFiles(on);
        state_.rescan();
      });
      menu->exec(widget->mapToGlobal(at));
    });
  };
  addMenu(weaponList_, false);
  addMenu(weaponList_->lineEdit(), true);
  addMenu(weaponList_->view(), false);
  addMenu(countLine_, false);
}

void MainWindow::openQuickFind() {
  if (!quickFind_) {
    quickFind_ = new QuickFind(state_.weaponList(), this);
    connect(quickFind_, &QuickFind::picked, this, [this](int index) {
      weaponList_->setCurrentIndex(index);
      showEntry(index);
      weaponList_->setFocus();
    });
  }
  quickFind_->popUp(weaponList_);
}

void MainWindow::openGameCheck() {
  if (!gameCheck_) {
    gameCheck_ = std::make_unique<GameCheckWindow>(state_.gameDir(), [this] { return state_.imports(); });
    connect(gameCheck_.get(), &GameCheckWindow::weaponChosen, this, &MainWindow::pickWeapon);
    connect(gameCheck_.get(), &GameCheckWindow::unitChosen, this, [this](const std::string& file, int line) {
      openUnits();
      unitsWindow_->showAt(file, line);
    });
    gameCheck_->placeBeside(*this);
  }
  gameCheck_->runAndShow();
}

void MainWindow::showUsers() {
  const int shown = shownIndex();
  if (shown < 0) return;
  openGameCheck();
  gameCheck_->showUsersOf(std::string(state_.entryName(shown)));
}

int MainWindow::shownIndex() const { return state_.entryOfText(shownEntry_); }

void MainWindow::pickWeapon(const std::string& name, const std::string& file) {
  const int index = state_.checkedWeaponEntry(name, file);
  if (index < 0) return;
  weaponList_->setCurrentIndex(index);
  showEntry(index);
  raise();
  activateWindow();
}

namespace {

// A window whose edits are steps of the main window's undo stack, saved with
// its Save, and which takes its undo and save keys.
template <class Window>
void shareEditing(Window& window, EditController& editing) {
  window.pushChanges = [&editing](const std::vector<edit::Change>& changes, const QString& text) {
    return editing.push(changes, text);
  };
  editing.addKeysTo(window);
}

void bringForward(QWidget& window) {
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace

void MainWindow::openWeaponsTable() {
  if (!tableWindow_) {
    tableWindow_ = std::make_unique<TableWindow>(state_, *host_, TableKind::Weapons);
    shareEditing(*tableWindow_, *editing_);
    connect(tableWindow_.get(), &TableWindow::entryChosen, this, [this](int index) {
      weaponList_->setCurrentIndex(index);
      showEntry(index);
      raise();
      activateWindow();
    });
  }
  bringForward(*tableWindow_);
}

void MainWindow::openUnitsTable() {
  if (!unitsTable_) {
    unitsTable_ = std::make_unique<TableWindow>(state_, *host_, TableKind::Units);
    shareEditing(*unitsTable_, *editing_);
  }
  bringForward(*unitsTable_);
}

void MainWindow::openUnits() {
  if (!unitsWindow_) {
    unitsWindow_ = std::make_unique<UnitsWindow>(state_);
    shareEditing(*unitsWindow_, *editing_);
    connect(unitsWindow_.get(), &UnitsWindow::weaponChosen, this, &MainWindow::pickWeapon);
    connect(unitsWindow_.get(), &UnitsWindow::packRequested, this, &MainWindow::packChanges);
  }
  bringForward(*unitsWindow_);
}

void MainWindow::compareWith() {
  const int shown = shownIndex();
  if (shown < 0) return;
  openWeaponsTable();
  tableWindow_->compareWith(shown);
}

void MainWindow::packChanges() {
  // Unsaved edits are written first, or left out: the pack takes the files
  // as they are on disk.
  if (!editing_->settle()) return;
  auto pack = PackChangesState::start(state_.gameDir(), *host_);
  if (!pack) return;
  packDialog_ = std::make_unique<PackDialog>(
      std::move(pack), *host_, [this] { state_.rescan(); }, this);
  bringForward(*packDialog_);
}

}  // namespace qm::ui
