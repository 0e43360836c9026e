#include "support.h"

#include <QDir>
#include <QFile>
#include <QLabel>

#include "catalogue/game_files.h"

namespace qm::test {

Answer ScriptedHost::MsgBox(std::string_view text, Buttons buttons) {
  messages.push_back({std::string(text), buttons});
  if (!answers.empty()) {
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  if (buttons == Buttons::Ok) return Answer::Ok;
  ++unscripted;
  return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

std::optional<std::string> ScriptedHost::ShowOpen(const std::string& startPath) {
  openStarts.push_back(startPath);
  if (openResults.empty()) {
    ++unscripted;
    return std::nullopt;
  }
  auto r = openResults.front();
  openResults.pop_front();
  return r;
}

std::optional<std::string> ScriptedHost::ShowSave(const std::string& startPath) {
  saveStarts.push_back(startPath);
  if (saveResults.empty()) {
    ++unscripted;
    return std::nullopt;
  }
  auto r = saveResults.front();
  saveResults.pop_front();
  return r;
}

GameFolder::GameFolder() {
  for (const std::string_view name : kStandardFiles)
    writeWeapons(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())), {});
}

void GameFolder::write(const QString& relative, const QByteArray& contents) const {
  const QString path = dir_.filePath(relative);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
  f.write(contents);
}

QByteArray Weapon(const QByteArray& name, const QByteArray& id, const std::vector<QByteArray>& lines,
                  const std::vector<QByteArray>& damage) {
  QByteArray out = "[" + name + "]\r\n\t{\r\n\tid=" + id + ";\r\n";
  for (const QByteArray& l : lines) out += "\t" + l + "\r\n";
  if (!damage.empty()) {
    out += "\t[DAMAGE]\r\n\t\t{\r\n";
    for (const QByteArray& d : damage) out += "\t\t" + d + "\r\n";
    out += "\t\t}\r\n";
  }
  out += "\t}\r\n";
  return out;
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Text(QWidget* window, const char* name) { return Control<QLabel>(window, name)->text(); }

}  // namespace qm::test
