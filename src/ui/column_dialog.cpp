#include "ui/column_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/controls.h"

namespace qm::ui {

ColumnDialog::ColumnDialog(ColumnChoice choice, QWidget* parent)
    : QDialog(parent),
      choice_(std::move(choice)),
      filter_(new QLineEdit),
      list_(new QListWidget),
      sets_(new QComboBox) {
  setObjectName("columnDialog");
  setWindowTitle("Columns");
  filter_->setObjectName("columnFilter");
  filter_->setPlaceholderText("Filter: caption or key");
  filter_->setClearButtonEnabled(true);
  list_->setObjectName("columnList");
  list_->setUniformItemSizes(true);

  const auto button = [this](const char* name, const QString& text, auto action) {
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, action);
    return b;
  };
  auto* choices = new QHBoxLayout;
  choices->addWidget(button("columnsAll", "&All", [this] {
    choice_.all(filter_->text().toStdString());
    fill();
  }));
  choices->addWidget(button("columnsNone", "&None", [this] {
    choice_.none(filter_->text().toStdString());
    fill();
  }));
  choices->addWidget(button("columnsReset", "&Reset", [this] {
    choice_.reset();
    fill();
  }));
  choices->addStretch(1);

  sets_->setObjectName("columnSet");
  sets_->setEditable(true);
  sets_->setInsertPolicy(QComboBox::NoInsert);
  sets_->lineEdit()->setPlaceholderText("Name of a set");
  sets_->setMinimumContentsLength(16);
  connect(sets_, &QComboBox::activated, this, [this](int index) {
    if (choice_.applySet(sets_->itemText(index).toStdString())) fill();
  });
  auto* setRow = new QHBoxLayout;
  auto* setCaption = new QLabel("&Set:");
  setCaption->setBuddy(sets_);
  setRow->addWidget(setCaption);
  setRow->addWidget(sets_, 1);
  setRow->addWidget(button("columnSetSave", "Sa&ve set", [this] {
    const QString name = sets_->currentText().trimmed();
    if (choice_.saveSet(name.toStdString())) fillSets(name);
  }));
  setRow->addWidget(button("columnSetDelete", "&Delete set", [this] {
    choice_.removeSet(sets_->currentText().trimmed().toStdString());
    fillSets({});
  }));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(filter_);
  layout->addLayout(choices);
  layout->addWidget(list_, 1);
  layout->addLayout(setRow);
  layout->addWidget(buttons);

  connect(filter_, &QLineEdit::textChanged, this, &ColumnDialog::fill);
  connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    choice_.setShown(item->data(Qt::UserRole).toUInt(), item->checkState() == Qt::Checked);
  });
  fill();
  fillSets({});
  filter_->setFocus();
  resize(420, 560);
}

void ColumnDialog::fill() {
  const QSignalBlocker quiet(list_);
  list_->clear();
  for (std::size_t i : choice_.passing(filter_->text().toStdString())) {
    const ColumnChoice::Item& c = choice_.items()[i];
    auto* item = new QListWidgetItem(fromUtf8(c.caption) + "  \u2014  " + fromUtf8(c.name), list_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(c.shown ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, static_cast<uint>(i));
  }
}

void ColumnDialog::fillSets(const QString& current) {
  sets_->clear();
  for (const auto& [name, columns] : choice_.sets()) sets_->addItem(fromUtf8(name));
  sets_->setCurrentIndex(sets_->findText(current));
  sets_->setEditText(current);
}

}  // namespace qm::ui
