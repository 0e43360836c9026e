// Helpers of the window tests: game folders made on the fly and controls by
// name.
#pragma once

#include <QDir>
#include <QLabel>
#include <QTest>
#include <deque>

#include "catalogue/game_files.h"
#include "../core/test_support.h"
#include "ui/main_window.h"

namespace qm::test {

// A game folder with the eight standard weapon files, empty unless written.
struct GameFolder {
  TempDir dir;

  GameFolder() { WriteGame(dir, {}); }
  std::string file(const QString& relative) const { return (dir.path() / relative.toStdString()).string(); }
  void write(const QString& relative, const QByteArray& contents) const {
    dir.Write(relative.toStdString(), contents.toStdString());
  }
};

// One weapon block with the given lines ("reloadtime=2;"), CR LF ended.
inline QByteArray Weapon(const QByteArray& name, const QByteArray& id, const std::vector<QByteArray>& lines = {}) {
  QByteArray out = "[" + name + "]\r\n{\r\nid=" + id + ";\r\n";
  for (const QByteArray& l : lines) out += l + "\r\n";
  return out + "}\r\n";
}

// The main window on a game folder whose cannons.tdf holds `cannons`, with
// the standard files in `missing` removed.
struct Window {
  GameFolder game;
  ScriptedHost host;
  ui::MainWindow w;

  explicit Window(const QByteArray& cannons = {}, const QStringList& missing = {})
      : w(Prepare(game, cannons, missing), &host) {}
  static std::filesystem::path Prepare(const GameFolder& game, const QByteArray& cannons, const QStringList& missing) {
    game.write("weapons/cannons.tdf", cannons);
    for (const QString& name : missing) std::filesystem::remove(game.file("weapons/" + name));
    return game.dir.path();
  }
};

// A control of `window` by its name; a missing one ends the test run.
template <class W = QWidget>
W* Control(QWidget* window, const char* name) {
  W* w = window->findChild<W*>(QString::fromLatin1(name));
  if (!w) qFatal("no control %s", name);
  return w;
}

inline QString Text(QWidget* window, const char* name) { return Control<QLabel>(window, name)->text(); }
inline void Click(QWidget* window, const char* name) { QTest::mouseClick(Control(window, name), Qt::LeftButton); }

}  // namespace qm::test
