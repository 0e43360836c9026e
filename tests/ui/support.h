// Helpers of the window tests: a scripted stand-in for the message boxes and
// file dialogs, and small game folders made on the fly.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "presentation/host.h"

namespace qm::test {

// Answers questions and file dialogs from a script and records what was
// asked. A question without a scripted answer gets Cancel or No, a file
// dialog without a scripted result is cancelled; both count as unscripted.
class ScriptedHost : public Host {
 public:
  struct Message {
    std::string text;
    Buttons buttons;
  };

  Answer MsgBox(std::string_view text, Buttons buttons) override;
  std::optional<std::string> ShowOpen(const std::string& startPath) override;
  std::optional<std::string> ShowSave(const std::string& startPath) override;

  std::vector<Message> messages;
  std::deque<Answer> answers;
  std::deque<std::optional<std::string>> openResults;
  std::deque<std::optional<std::string>> saveResults;
  std::vector<std::string> openStarts;  // the start path of each open dialog
  std::vector<std::string> saveStarts;
  int unscripted = 0;
};

// A game folder with the eight standard weapon files (empty unless written).
class GameFolder {
 public:
  GameFolder();
  std::filesystem::path path() const { return dir_.path().toStdString(); }
  // A path inside the folder.
  QString file(const QString& relative) const { return dir_.filePath(relative); }
  void write(const QString& relative, const QByteArray& contents) const;
  // One of the standard files, by its name ("cannons.tdf").
  void writeWeapons(const QString& standardFile, const QByteArray& contents) const {
    write("weapons/" + standardFile, contents);
  }

 private:
  QTemporaryDir dir_;
};

// One weapon block with the given key lines ("reloadtime=2;"), CR LF ended.
QByteArray Weapon(const QByteArray& name, const QByteArray& id, const std::vector<QByteArray>& lines = {},
                  const std::vector<QByteArray>& damage = {});

QByteArray ReadFile(const QString& path);

// A child widget of `window` by its control name; fails the test when absent.
template <class W = QWidget>
W* Control(QWidget* window, const char* name) {
  W* w = window->findChild<W*>(QString::fromLatin1(name));
  if (!w) qFatal("no control %s", name);
  return w;
}

QString Text(QWidget* window, const char* name);

}  // namespace qm::test
