// Helpers of the window tests: a scripted stand-in for the message boxes and
// file dialogs, game folders made on the fly, and controls by name.
#pragma once

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <deque>

#include "catalogue/game_files.h"
#include "presentation/host.h"
#include "ui/main_window.h"

namespace qm::test {

// Records every message (answered OK, Cancel or No) and the start path of
// every file dialog; a dialog returns the next scripted path, or is cancelled.
struct ScriptedHost : Host {
  std::vector<std::string> messages;
  std::deque<std::string> files;
  std::vector<std::string> starts;

  Answer MsgBox(std::string_view text, Buttons buttons) override {
    messages.emplace_back(text);
    return buttons == Buttons::Ok ? Answer::Ok : buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
  }
  std::optional<std::string> ShowOpen(const std::string& start) override { return File(start); }
  std::optional<std::string> ShowSave(const std::string& start) override { return File(start); }
  std::optional<std::string> File(const std::string& start) {
    starts.push_back(start);
    if (files.empty()) return std::nullopt;
    std::string path = files.front();
    files.pop_front();
    return path;
  }
};

// A game folder with the eight standard weapon files, empty unless written.
struct GameFolder {
  QTemporaryDir dir;

  GameFolder() {
    for (std::string_view name : kStandardFiles) write("weapons/" + QString::fromLatin1(name.data(), name.size()), {});
  }
  std::string file(const QString& relative) const { return dir.filePath(relative).toStdString(); }
  void write(const QString& relative, const QByteArray& contents) const {
    QFile f(dir.filePath(relative));
    QDir().mkpath(QFileInfo(f).absolutePath());
    if (!f.open(QIODevice::WriteOnly) || f.write(contents) != contents.size()) qFatal("cannot write %s", qPrintable(relative));
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
    for (const QString& name : missing) QFile::remove(game.dir.filePath("weapons/" + name));
    return game.dir.path().toStdString();
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
