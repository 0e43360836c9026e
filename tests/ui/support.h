// Helpers of the window tests: the main window on a game folder made on the
// fly, and controls by name.
#pragma once

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "../core/test_support.h"
#include "ui/main_window.h"

namespace qm::test {

// One weapon block with the given lines ("reloadtime=2;"), CR LF ended.
inline QByteArray weapon(const QByteArray& name, const QByteArray& id, const std::vector<QByteArray>& lines = {}) {
  QByteArray out = "[" + name + "]\r\n{\r\nid=" + id + ";\r\n";
  for (const QByteArray& l : lines) out += l + "\r\n";
  return out + "}\r\n";
}

// A control of `window` by its name; a missing one ends the test run.
template <class W = QWidget>
W* control(QWidget* window, const char* name) {
  W* w = window->findChild<W*>(QString::fromLatin1(name));
  if (!w) qFatal("no control %s", name);
  return w;
}

inline QString text(QWidget* window, const char* name) { return control<QLabel>(window, name)->text(); }
inline void click(QWidget* window, const char* name) { QTest::mouseClick(control(window, name), Qt::LeftButton); }

// Triggers the action named `name` (object name or text) of the next menu
// that opens: one it shows, or one of its submenus'.
inline void chooseInMenu(const QString& name) {
  QTimer::singleShot(0, [name] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    menu->close();
    for (QAction* a : menu->actions() + menu->findChildren<QAction*>())
      if (a->objectName() == name || a->text() == name) return a->trigger();
  });
}

// The main window on a game folder of the eight standard weapon files, where
// cannons.tdf holds `cannons` and those in `missing` are removed.
struct Window {
  TempDir game;
  ScriptedHost host;
  ui::MainWindow w;

  explicit Window(const QByteArray& cannons = {}, const QStringList& missing = {})
      : w(prepare(game, cannons, missing), &host) {}
  static std::filesystem::path prepare(const TempDir& game, const QByteArray& cannons, const QStringList& missing) {
    writeGame(game, {{"cannons.tdf", cannons.toStdString()}});
    for (const QString& name : missing) std::filesystem::remove(game.path() / "weapons" / name.toStdString());
    return game.path();
  }
  // Writes a file into the game folder; returns its path.
  std::string write(const char* relative, const QByteArray& contents) const {
    return game.write(relative, contents.toStdString()).string();
  }
  QComboBox* list() { return control<QComboBox>(&w, "Combo1"); }
};

}  // namespace qm::test
