#include "ui/form1.h"

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>
#include <functional>
#include <map>

#include "presentation/captions.h"
#include "ui/controls.h"
#include "ui/form2.h"
#include "ui/layout.h"
#include "ui/qt_host.h"
#include "weapon/field_table.h"

namespace qm::ui {

// Passes the dialogs on and redraws what the procedures changed.
class Form1::WindowHost final : public Host {
 public:
  WindowHost(Host& dialogs, std::function<void(unsigned)> changed)
      : dialogs_(dialogs), changed_(std::move(changed)) {}

  Answer MsgBox(std::string_view text, Buttons buttons) override { return dialogs_.MsgBox(text, buttons); }
  std::optional<std::string> ShowOpen(const std::string& startPath) override { return dialogs_.ShowOpen(startPath); }
  std::optional<std::string> ShowSave(const std::string& startPath) override { return dialogs_.ShowSave(startPath); }
  void ReportUnreadable(const std::vector<UnreadableFile>& files) override {
    dialogs_.ReportUnreadable(files);
  }
  void Changed(unsigned changes) override {
    changed_(changes);
    dialogs_.Changed(changes);
  }

 private:
  Host& dialogs_;
  std::function<void(unsigned)> changed_;
};

namespace {


QLabel* MakeLabel(QWidget* parent, std::string_view name, std::string_view text, Qt::Alignment align) {
  auto* label = new QLabel(FromUtf8(text), parent);
  label->setObjectName(FromUtf8(name));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(align);
  return label;
}

}  // namespace

Form1::Form1(std::filesystem::path gameDir, Host* dialogs)
    : realDialogs_(dialogs ? nullptr : std::make_unique<QtHost>()),
      host_(std::make_unique<WindowHost>(dialogs ? *dialogs : *realDialogs_,
                                         [this](unsigned changes) { Refresh(changes); })),
      state_(std::move(gameDir), *host_) {
  setObjectName("Form1");
  setWindowTitle(FromUtf8(kAppTitle));
  setWindowIcon(MakeAppIcon());
  setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  BuildControls();

  const TwipScale scale = ScreenScale();
  setFixedSize(scale.px(kForm1Width), scale.px(kForm1Height));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  // The start-up scan runs before the window is first shown.
  state_.Form_Load();
}

Form1::~Form1() {
  form2_.reset();
  combo1_->lineEdit()->removeEventFilter(this);
  // The controls go first, while the state they read still exists: closing
  // the window makes the list's edit field look up its entries once more.
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void Form1::BuildControls() {
  const TwipScale scale = ScreenScale();
  std::map<std::string_view, QWidget*> byName;

  std::map<Frame, QWidget*> containers{{Frame::Window, this}};
  for (const FrameLayout& f : kForm1Frames) {
    auto* box = new FrameBox(FromUtf8(f.caption), this);
    box->setObjectName(FromUtf8(f.name));
    box->setGeometry(ToPixels(scale, f.rect));
    containers[f.frame] = box;
  }

  // Lines first: every other control is drawn over them.
  for (const LineLayout& l : kForm1Lines) {
    const bool horizontal = l.from.y == l.to.y;
    auto* line = new QFrame(containers.at(l.frame));
    line->setObjectName(FromUtf8(l.name));
    line->setFrameShape(horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    const int x = scale.px(l.from.x), y = scale.px(l.from.y);
    line->setGeometry(horizontal ? QRect(x, y, scale.px(l.to.x) - x + 1, 1)
                                 : QRect(x, y, 1, scale.px(l.to.y) - y + 1));
  }

  for (const HeadingLayout& h : kHeadings) {
    QLabel* heading = MakeLabel(containers.at(h.frame), h.name, h.text, Qt::AlignCenter);
    heading->setFont(DialogFont(true));
    heading->setGeometry(ToPixels(scale, h.rect));
  }

  // Field rows. A caption's text stands in the first line of its box, level
  // with the value of one-line rows.
  const int lineHeight = scale.px(255);
  const int captionTop = std::max(0, (lineHeight - QFontMetrics(DialogFont()).height()) / 2 - 1);
  std::map<int, int> captionIndexOfField;
  for (int i = 0; i < kCaptionCount; ++i) captionIndexOfField[kCaptionSets[i].field] = i;

  for (const FieldRowLayout& row : kFieldRows) {
    QWidget* parent = containers.at(row.frame);
    if (row.hasCaption()) {
      QLabel* caption = MakeLabel(parent, row.caption, row.captionText, Qt::AlignLeft | Qt::AlignTop);
      caption->setFrameShape(QFrame::Box);
      caption->setFrameShadow(QFrame::Plain);
      caption->setLineWidth(1);
      caption->setContentsMargins(2, captionTop, 2, 0);
      caption->setGeometry(ToPixels(scale, row.captionRect));
      if (const auto it = captionIndexOfField.find(row.field); it != captionIndexOfField.end())
        captionLabels_[it->second] = caption;

      const Qt::Alignment align =
          row.valueAlign == Align::Centre ? Qt::Alignment(Qt::AlignCenter) : Qt::AlignLeft | Qt::AlignVCenter;
      QLabel* value = MakeLabel(parent, row.value, row.valueText, align);
      value->setGeometry(ToPixels(scale, row.valueRect));
      valueLabels_[SlotIndex(FieldByNumber(row.field).slot)] = value;
    } else {
      list1_ = new QListWidget(parent);
      list1_->setObjectName(FromUtf8(row.value));
      list1_->addItem(FromUtf8(row.valueText));
      list1_->setGeometry(ToPixels(scale, row.valueRect));
      byName[row.value] = list1_;
    }

    auto* help = new QPushButton("?", parent);
    help->setObjectName(FromUtf8(row.button));
    help->setGeometry(ToPixels(scale, {row.buttonPos.x, row.buttonPos.y, kHelpButtonSize, kHelpButtonSize}));
    connect(help, &QPushButton::clicked, this, [this, field = row.field] { state_.HelpClick(field); });
    byName[row.button] = help;
  }

  for (const ControlLayout& c : kForm1Controls) {
    QWidget* parent = containers.at(c.frame);
    QWidget* widget = nullptr;
    switch (c.kind) {
      case ControlKind::Label:
        widget = MakeLabel(parent, c.name, c.text, Qt::AlignLeft | Qt::AlignVCenter);
        break;
      case ControlKind::TextLabel: {
        QLabel* label = MakeLabel(parent, c.name, c.text, Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        widget = label;
        break;
      }
      case ControlKind::TitleLabel: {
        // Opaque, so that the line under it stops at its text.
        QLabel* label = MakeLabel(parent, c.name, c.text, Qt::AlignCenter);
        label->setAutoFillBackground(true);
        widget = label;
        break;
      }
      case ControlKind::ClickLabel: {
        auto* label = new ClickLabel(FromUtf8(c.text), parent);
        label->setObjectName(FromUtf8(c.name));
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        connect(label, &ClickLabel::clicked, this, [this] { state_.Label145_Click(); });
        widget = label;
        break;
      }
      case ControlKind::Combo: {
        combo1_ = new QComboBox(parent);
        combo1_->setObjectName(FromUtf8(c.name));
        combo1_->setEditable(true);
        // Typing selects nothing: no completion and no new entries.
        combo1_->setInsertPolicy(QComboBox::NoInsert);
        combo1_->setCompleter(nullptr);
        combo1Model_ = new WeaponListModel(state_.Combo1, combo1_);
        combo1_->setModel(combo1Model_);
        if (auto* view = qobject_cast<QListView*>(combo1_->view())) view->setUniformItemSizes(true);
        combo1_->setCurrentIndex(-1);
        combo1_->setEditText(FromUtf8(c.text));
        // Enter in the edit field would pick an entry of the same text.
        combo1_->lineEdit()->installEventFilter(this);
        connect(combo1_, &QComboBox::activated, this, [this](int index) { state_.Combo1_Click(index); });
        widget = combo1_;
        break;
      }
      case ControlKind::PushButton: {
        auto* button = new WrapButton(FromUtf8(c.text), parent);
        button->setObjectName(FromUtf8(c.name));
        widget = button;
        break;
      }
      case ControlKind::Option: {
        auto* option = new QRadioButton(FromUtf8(c.text), parent);
        option->setObjectName(FromUtf8(c.name));
        option->setChecked(c.selected);
        if (c.selected) option1_ = option;
        // Every click counts, also on the option already selected.
        connect(option, &QRadioButton::clicked, this, [this] { state_.OptionClick(option1_->isChecked()); });
        widget = option;
        break;
      }
      case ControlKind::TextBox:
        break;  // none in this window
    }
    if (!widget) continue;
    widget->setGeometry(ToPixels(scale, c.rect));
    byName[c.name] = widget;
  }

  label1_ = findChild<QLabel*>("Label1");
  label138_ = findChild<QLabel*>("Label138");
  label139_ = findChild<QLabel*>("Label139");
  label145_ = findChild<QLabel*>("Label145");
  connect(static_cast<QPushButton*>(byName.at("Command61")), &QPushButton::clicked, this,
          [this] { Command61_Click(); });
  connect(static_cast<QPushButton*>(byName.at("Command62")), &QPushButton::clicked, this,
          [this] { state_.Command62_Click(); });

  const auto order = Form1TabOrder();
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(byName.at(order[i - 1]), byName.at(order[i]));
  combo1_->setFocus();
}

void Form1::Refresh(unsigned changes) {
  if (changes & kListChanged) {
    // The edit field keeps its text when the list changes under it.
    const QString text = combo1_->currentText();
    combo1Model_->Reload();
    combo1_->setCurrentIndex(-1);
    combo1_->setEditText(text);
  }
  if (changes & kCountLineChanged) label1_->setText(FromUtf8(state_.Label1));
  if (changes & kValuesChanged)
    for (int s = 0; s < kSlotCount; ++s) valueLabels_[s]->setText(FromCp1252(state_.valueTexts[s]));
  if (changes & kCaptionsChanged)
    for (int i = 0; i < kCaptionCount; ++i) captionLabels_[i]->setText(FromUtf8(state_.captionTexts[i]));
  if (changes & kDamageChanged) {
    list1_->clear();
    for (const std::string& item : state_.weapon.damage) list1_->addItem(FromCp1252(item));
  }
  if (changes & kDescriptionChanged) {
    label138_->setText(FromUtf8(state_.Label138));
    label139_->setText(FromUtf8(state_.Label139));
  }
  if (changes & kLabel145Changed) label145_->setText(FromUtf8(state_.Label145));
}

void Form1::Command61_Click() {
  // Shown without owner and without waiting; a second click only brings it
  // to the front.
  if (!form2_) form2_ = std::make_unique<Form2>(state_, *host_);
  const bool shown = form2_->isVisible();
  form2_->show();
  if (shown && !form2_->isActiveWindow()) {
    form2_->raise();
    form2_->activateWindow();
  }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == combo1_->lineEdit()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace qm::ui
