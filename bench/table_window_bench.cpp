// qm-bench-table: the Weapons table window on a benchmark folder.
//
//   qm-bench-table FOLDER
//
// Starts the main window on FOLDER (offscreen unless told otherwise), imports
// its extra files, then times opening the Weapons table and sorting it by a
// number column (reload time) until the sorted view is laid out; prints the
// time (and the processor time, which a loaded machine does not stretch), the
// rows, the files' bytes and the process's peak memory.
#include <sys/resource.h>
#include <QApplication>
#include <QTableView>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "ui/main_window.h"
#include "ui/table_window.h"

namespace {

// Answers every question with its default, shows nothing.
struct SilentHost : qm::Host {
  qm::Answer msgBox(std::string_view, qm::Buttons) override { return qm::Answer::Ok; }
  std::optional<std::string> showOpen(const std::string&) override { return std::nullopt; }
  std::optional<std::string> showSave(const std::string&) override { return std::nullopt; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qm-bench-table FOLDER\n");
    return 2;
  }
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::filesystem::path folder = argv[1];
  SilentHost host;
  qm::ui::MainWindow window(folder, &host);
  std::ifstream manifest(folder / "manifest.txt");
  double bytes = 0;
  for (std::string key, value; manifest >> key >> value;) {
    if (key == "extra") window.state().addImport(value);
    if (key == "bytes") bytes = std::stod(value);
  }
  window.show();
  app.processEvents();

  const auto cpu = [] {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
  };
  const double cpuStart = cpu();
  const auto start = std::chrono::steady_clock::now();
  window.openWeaponsTable();
  QTableView* view = window.tableWindow()->view();
  view->sortByColumn(10, Qt::AscendingOrder);  // reload time
  app.processEvents();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double cpuMs = cpu() - cpuStart;

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf(
      "table window open + sort by reloadtime: %.0f ms (%.0f ms of processor time), %d rows;\n"
      "files %.1f MB, peak memory %.1f MB (%.2f x the files)\n",
      ms, cpuMs, view->model()->rowCount(), bytes / 1e6, usage.ru_maxrss / 1024.0, usage.ru_maxrss * 1024.0 / bytes);
  return 0;
}
