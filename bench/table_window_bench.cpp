// qm-bench-table: the Weapons table window on a benchmark folder.
//
//   qm-bench-table FOLDER
//
// Starts the main window on FOLDER (offscreen unless told otherwise), imports
// its extra files, then times opening the Weapons table and sorting it by a
// number column (reload time) until the sorted view is laid out; prints the
// time (and the processor time, which a loaded machine does not stretch, split
// into opening, sorting and laying out), the rows, the files' bytes and the
// process's peak memory. Opening is mostly the core's one pass over the files;
// a second read of the table alone took 0.8 to 1.7 times the first, by what
// memory the process held, so a profile of the timed part (QM_PERF_CTL) tells
// the pass from the window's own work.
#include <sys/resource.h>
#include <QApplication>
#include <QTableView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "silent_host.h"
#include "ui/main_window.h"
#include "ui/table_window.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qm-bench-table FOLDER\n");
    return 2;
  }
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::filesystem::path folder = argv[1];
  qm::bench::SilentHost host;
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
  // QM_PERF_CTL names a perf control fifo (perf record -D -1 --control
  // fifo:PATH): only the timed part is recorded.
  const auto perfCtl = [](const char* what) {
    if (const char* path = std::getenv("QM_PERF_CTL")) std::ofstream(path) << what << std::endl;
  };
  perfCtl("enable");
  const double cpuStart = cpu();
  const auto start = std::chrono::steady_clock::now();
  window.openWeaponsTable();
  const double cpuOpen = cpu();
  QTableView* view = window.tableWindow()->view();
  view->sortByColumn(10, Qt::AscendingOrder);  // reload time
  const double cpuSort = cpu();
  app.processEvents();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double cpuEnd = cpu();
  perfCtl("disable");
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf(
      "table window open + sort by reloadtime: %.0f ms (%.0f ms of processor time), %d rows;\n"
      "processor time: open %.0f ms (the core's table read included), sort %.0f ms, lay out %.0f ms\n"
      "files %.1f MB, peak memory %.1f MB (%.2f x the files)\n",
      ms, cpuEnd - cpuStart, view->model()->rowCount(), cpuOpen - cpuStart, cpuSort - cpuOpen, cpuEnd - cpuSort,
      bytes / 1e6, usage.ru_maxrss / 1024.0, usage.ru_maxrss * 1024.0 / bytes);
  // With unit files (qm-bench-gen's fourth argument), the units table too,
  // sorted by metal cost.
  if (std::filesystem::is_directory(folder / "units")) {
    const double unitsCpu = cpu();
    const auto unitsStart = std::chrono::steady_clock::now();
    window.openUnitsTable();
    QTableView* units = window.unitsTable()->view();
    for (int c = 0; c < units->model()->columnCount(); ++c)
      if (units->model()->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString() == "BuildCostMetal")
        units->sortByColumn(c, Qt::AscendingOrder);
    app.processEvents();
    std::printf("units table open + sort by BuildCostMetal: %.0f ms (%.0f ms of processor time), %d rows\n",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - unitsStart).count(),
                cpu() - unitsCpu, units->model()->rowCount());
  }
  return 0;
}
