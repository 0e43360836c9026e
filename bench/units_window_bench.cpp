// qm-bench-units: the Units window on a benchmark folder.
//
//   qm-bench-units FOLDER
//
// Starts the main window on FOLDER (offscreen unless told otherwise), then
// times opening the Units window (every unit file read, the engine decided,
// the weapons' damage per second read) and sorting its list by side until
// the sorted list is laid out; prints the time, the processor time and the
// units listed.
#include <sys/resource.h>
#include <QApplication>
#include <QTableView>
#include <chrono>
#include <cstdio>

#include "silent_host.h"
#include "ui/main_window.h"
#include "ui/units_window.h"

namespace {

double cpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qm-bench-units FOLDER\n");
    return 2;
  }
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  qm::bench::SilentHost host;
  qm::ui::MainWindow window(argv[1], &host);
  window.show();
  app.processEvents();

  const double cpuStart = cpuMs();
  const auto start = std::chrono::steady_clock::now();
  window.openUnits();
  QTableView* list = window.unitsWindow()->list();
  list->sortByColumn(1, Qt::AscendingOrder);  // by side
  app.processEvents();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("units window open + sort by side: %.0f ms (%.0f ms of processor time), %d units\n", ms,
              cpuMs() - cpuStart, list->model()->rowCount());
  return 0;
}
