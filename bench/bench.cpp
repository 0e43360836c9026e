// qm-bench: how fast the catalogue scan and the weapon loader go, measured
// against the fastest any reader of the weapon files can go, and how soon the
// window shows its first frame.
//
//   qm-bench [--min-time S] [--window EXE] [--sample DIR] [--window-runs N] [--cli EXE] FOLDER...
//
// Each FOLDER is one made by qm-bench-gen. For each, in one run and in turns
// so that the machine's noise falls on all of them alike:
//   floor         every file of the folder read through one buffer of 256 KiB
//                 and its line feeds counted with memchr, as `wc -l` does: no
//                 reader that looks at every line can beat it
//   line reader   the same files streamed through the LineReader, the
//                 readers' way of cutting lines before they took whole files
//   scan          the start-up scan of the standard files and the import of
//                 every extra file into a fresh window state
//   load last     showWeapon of the last block in search order
//   load missing  showWeapon of a name no file holds
// All of them read the same bytes. The timed rounds run in a child process,
// and each figure is then run once more in a process of its own to take its
// peak resident memory; this process only starts them and prints the table.
//
// With --cli, the command-line program is timed as whole processes the way a
// user meets it, in turns with `wc -l` over the same files: `list` and
// `show LAST --actual --json` and `table --format tsv`, all with --game FOLDER and every extra file
// as --import, their output going to /dev/null.
//
// With --cli and a folder with units (qm-bench-gen's UNITS), `units` and
// `table --units --format tsv` the same way, against `wc -l` over the unit
// files, with their peak memory over the files' bytes.
//
// With --cli, also one value edited in the largest file by `set`, from
// reading to the replaced file (and once more writing its .bak), against `cp`
// of that file and `cp` followed by `sync` of the copy.
//
// With --window, the window program is started on --sample and on each folder
// (a copy of it is put beside the folder's weapons, where it looks for the
// game) with QM_EXIT_AFTER_SHOW=1, and the time from starting the process to
// its report of the first frame shown is taken, with its peak resident memory.
//
// Exits non-zero when a figure gives a wrong result (a weapon missed, the
// wrong block loaded, a message where none is due) or a program fails.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/game_files.h"
#include "checks_figures.h"
#include "line_reader.h"
#include "presentation/host.h"
#include "presentation/main_window_state.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) {
  std::cerr << "qm-bench: " << what << "\n";
  std::exit(1);
}

// --- The generated folder ---------------------------------------------------

struct Folder {
  fs::path dir;
  long weapons = 0;
  long standardWeapons = 0;
  std::uintmax_t bytes = 0;
  std::uintmax_t standardBytes = 0;  // what the window's start-up reads
  std::string last;
  std::string lastId;
  std::vector<std::string> extras;
  std::vector<fs::path> allFiles;   // standard files, then the extra files
  std::vector<fs::path> unitFiles;  // units/*.FBI, when the folder has units
  std::uintmax_t unitBytes = 0;
};

Folder readFolder(const fs::path& dir) {
  Folder f;
  f.dir = dir;
  std::ifstream in(dir / "manifest.txt");
  if (!in) fail("no manifest.txt in " + dir.string() + " (make the folder with qm-bench-gen)");
  std::string key, value;
  while (in >> key >> std::ws && std::getline(in, value)) {
    if (key == "weapons")
      f.weapons = std::stol(value);
    else if (key == "standard_weapons")
      f.standardWeapons = std::stol(value);
    else if (key == "bytes")
      f.bytes = std::stoull(value);
    else if (key == "last")
      f.last = value;
    else if (key == "last_id")
      f.lastId = value;
    else if (key == "extra")
      f.extras.push_back(value);
    else if (key == "unit_bytes")
      f.unitBytes = std::stoull(value);
  }
  if (f.unitBytes > 0) {
    for (const auto& e : fs::directory_iterator(dir / "units")) f.unitFiles.push_back(e.path());
    std::sort(f.unitFiles.begin(), f.unitFiles.end());
  }
  f.allFiles = qm::standardFilePaths(dir);
  f.allFiles.insert(f.allFiles.end(), f.extras.begin(), f.extras.end());
  std::uintmax_t onDisk = 0;
  for (std::size_t i = 0; i < f.allFiles.size(); ++i) {
    std::error_code ec;
    const auto n = fs::file_size(f.allFiles[i], ec);
    if (ec) fail("cannot read " + f.allFiles[i].string());
    onDisk += n;
    if (i < qm::kStandardFiles.size()) f.standardBytes += n;
  }
  if (onDisk != f.bytes || f.weapons <= 0 || f.last.empty())
    fail(dir.string() + ": the files do not match manifest.txt; generate the folder again");
  return f;
}

// --- The figures --------------------------------------------------------------

class SilentHost : public qm::Host {
 public:
  qm::Answer msgBox(std::string_view, qm::Buttons) override {
    ++messages;
    return qm::Answer::Ok;
  }
  std::optional<std::filesystem::path> showOpen(const std::filesystem::path&) override { return std::nullopt; }
  std::optional<std::filesystem::path> showSave(const std::filesystem::path&, std::string_view) override {
    return std::nullopt;
  }
  int messages = 0;
};

volatile std::size_t g_sink;  // keeps the floor's work from being optimised away

void floor(const Folder& f) {
  // One buffer for every file, small enough to stay in the processor's cache
  // as the readers' own does, so that the timed passes only read and count.
  static std::vector<char> buffer(256 * 1024);
  std::size_t lines = 0;
  for (const auto& p : f.allFiles) {
    const int fd = open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("floor: cannot open " + p.string());
    for (;;) {
      const ssize_t n = read(fd, buffer.data(), buffer.size());
      if (n < 0) fail("floor: cannot read " + p.string());
      if (n == 0) break;
      const char* end = buffer.data() + n;
      for (const char* q = buffer.data(); (q = static_cast<const char*>(std::memchr(q, '\n', end - q))); ++q) ++lines;
    }
    close(fd);
  }
  if (lines < static_cast<std::size_t>(f.weapons)) fail("floor: fewer lines than weapons");
  g_sink = g_sink + lines;
}

void streamLines(const Folder& f) {
  std::size_t lines = 0, chars = 0;
  for (const auto& p : f.allFiles) {
    std::FILE* file = std::fopen(p.c_str(), "rb");
    if (!file) fail("line reader: cannot open " + p.string());
    qm::LineReader reader(file);
    std::string_view line;
    while (reader.next(line)) {
      ++lines;
      chars += line.size();
    }
    std::fclose(file);
  }
  if (lines < static_cast<std::size_t>(f.weapons)) fail("line reader: fewer lines than weapons");
  g_sink = g_sink + lines + chars;
}

void scan(const Folder& f) {
  SilentHost host;
  qm::MainWindowState state(f.dir, host);
  state.rebuildList();
  for (const auto& p : f.extras)
    if (!state.addImport(p)) fail("scan: could not import " + p);
  const long listed = static_cast<long>(state.weaponList().size());
  if (listed != f.weapons)
    fail("scan: listed " + std::to_string(listed) + " weapons, the folder holds " + std::to_string(f.weapons));
  if (host.messages != 0) fail("scan: a message was shown");
}

// A window state that has imported the folder's extra files.
void fillSlots(const Folder& f, qm::MainWindowState& state) {
  for (const auto& p : f.extras)
    if (!state.addImport(p)) fail("could not import " + p);
}

void loadLast(const Folder& f, qm::MainWindowState& state, SilentHost& host) {
  const int before = host.messages;
  if (!state.showWeapon(f.last)) fail("load last: " + f.last + " not found");
  if (state.weapon()[qm::Slot::BracketName] != f.last || state.weapon()[qm::Slot::Id] != f.lastId)
    fail("load last: loaded the wrong block");
  if (host.messages != before) fail("load last: a message was shown");
}

void loadMissing(qm::MainWindowState& state, SilentHost& host) {
  const int before = host.messages;
  if (state.showWeapon("NO_SUCH_WEAPON")) fail("load missing: found a weapon that is not there");
  if (host.messages != before + 1) fail("load missing: expected one message");
}

void ids(const Folder& f) {
  if (!qm::bench::idsFigure(f.dir, f.extras, f.weapons)) fail("ids: the census does not count every weapon");
}

void lint(const Folder& f) {
  if (!qm::bench::lintFigure(f.dir, f.extras)) fail("lint: a file was not read");
}

const char* const kFigures[] = {"floor", "line-reader", "scan", "load-last", "load-missing", "ids", "lint"};

// One pass of a figure, in this process.
void runOnce(const std::string& figure, const Folder& f) {
  if (figure == "floor") return floor(f);
  if (figure == "line-reader") return streamLines(f);
  if (figure == "scan") return scan(f);
  if (figure == "ids") return ids(f);
  if (figure == "lint") return lint(f);
  SilentHost host;
  qm::MainWindowState state(f.dir, host);
  fillSlots(f, state);
  if (figure == "load-last") return loadLast(f, state, host);
  if (figure == "load-missing") return loadMissing(state, host);
  fail("unknown figure " + figure);
}

struct Timing {
  std::vector<double> seconds;
  double best() const { return *std::min_element(seconds.begin(), seconds.end()); }
  double median() const {
    std::vector<double> s = seconds;
    std::sort(s.begin(), s.end());
    return s[s.size() / 2];
  }
};

// Runs every figure once per round, in turns, until minTime has passed and
// at least three rounds are done (one when minTime is 0).
std::map<std::string, Timing> timeFigures(const Folder& f, double minTime) {
  SilentHost host;
  qm::MainWindowState loadState(f.dir, host);
  fillSlots(f, loadState);
  const std::map<std::string, std::function<void()>> run = {
      {"floor", [&] { floor(f); }},
      {"line-reader", [&] { streamLines(f); }},
      {"scan", [&] { scan(f); }},
      {"load-last", [&] { loadLast(f, loadState, host); }},
      {"load-missing", [&] { loadMissing(loadState, host); }},
      {"ids", [&] { ids(f); }},
      {"lint", [&] { lint(f); }},
  };
  for (const auto& [name, fn] : run) fn();  // warm the page cache and the allocator

  std::map<std::string, Timing> out;
  const int minRounds = minTime > 0 ? 3 : 1;
  const auto start = Clock::now();
  for (int round = 0; round < 1000; ++round) {
    for (const char* name : kFigures) {
      const auto t0 = Clock::now();
      run.at(name)();
      out[name].seconds.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    }
    if (round + 1 >= minRounds && std::chrono::duration<double>(Clock::now() - start).count() >= minTime) break;
  }
  return out;
}

// --- Child processes ------------------------------------------------------------

struct ChildResult {
  int status = -1;
  double seconds = 0;      // from spawning to the line of interest (or the end)
  double reportedMs = -1;  // what the window printed
  long maxRssKb = 0;
  std::string output;
};

// Starts argv with extra environment, waits for it and takes its peak
// resident memory. When `marker` is given, the time is taken when a line of
// stdout begins with it, and the number after it is kept.
ChildResult runChild(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                     const std::string& marker, double timeoutSeconds) {
  int pipeFd[2];
  if (pipe2(pipeFd, O_CLOEXEC) != 0) fail("pipe failed");

  std::vector<std::string> envStrings = extraEnv;
  for (char** e = environ; *e; ++e) {
    const std::string s = *e;
    const std::string key = s.substr(0, s.find('='));
    if (std::none_of(extraEnv.begin(), extraEnv.end(), [&](const std::string& x) { return x.starts_with(key + "="); }))
      envStrings.push_back(s);
  }
  std::vector<char*> envp, args;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argvCopy = argv;
  for (auto& s : argvCopy) args.push_back(s.data());
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFd[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeFd[1], STDERR_FILENO);  // shown only if it fails
  pid_t pid;
  const auto t0 = Clock::now();
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) fail("cannot start " + argv[0]);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFd[1]);

  ChildResult r;
  bool marked = false;
  char buf[4096];
  for (;;) {
    pollfd pfd{pipeFd[0], POLLIN, 0};
    const double left = timeoutSeconds - std::chrono::duration<double>(Clock::now() - t0).count();
    if (left <= 0 || poll(&pfd, 1, static_cast<int>(left * 1000) + 1) == 0) {
      kill(pid, SIGKILL);
      r.output += "\n(timed out)";
      break;
    }
    const ssize_t n = read(pipeFd[0], buf, sizeof buf);
    if (n <= 0) break;
    r.output.append(buf, static_cast<std::size_t>(n));
    if (!marker.empty() && !marked) {
      const auto at = r.output.find(marker);
      if (at != std::string::npos && r.output.find('\n', at) != std::string::npos) {
        r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        r.reportedMs = std::atof(r.output.c_str() + at + marker.size());
        marked = true;
      }
    }
  }
  close(pipeFd[0]);
  rusage ru{};
  int status = 0;
  if (wait4(pid, &status, 0, &ru) < 0) fail("wait failed");
  if (!marked) r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  r.status = (WIFEXITED(status) && (marker.empty() || marked)) ? WEXITSTATUS(status) : -1;
  r.maxRssKb = ru.ru_maxrss;
  return r;
}

// --- Output ---------------------------------------------------------------------

double megabytes(std::uintmax_t bytes) { return static_cast<double>(bytes) / 1e6; }

// --- Whole processes --------------------------------------------------------------

struct ProcessRun {
  int status = -1;
  double seconds = 0;
  long maxRssKb = 0;
};

// Runs argv (found on PATH) with its output going to /dev/null: the time
// from starting it to its end, and its peak resident memory.
ProcessRun runQuiet(const std::vector<std::string>& argv) {
  std::vector<std::string> argvCopy = argv;
  std::vector<char*> args;
  for (auto& s : argvCopy) args.push_back(s.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  const auto t0 = Clock::now();
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) fail("cannot start " + argv[0]);
  posix_spawn_file_actions_destroy(&actions);
  rusage ru{};
  int status = 0;
  if (wait4(pid, &status, 0, &ru) < 0) fail("wait failed");
  ProcessRun r;
  r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.maxRssKb = ru.ru_maxrss;
  return r;
}

struct ProcessFigure {
  std::string title;
  std::vector<std::string> argv;
  Timing timing;
  long maxRssKb = 0;
};

// Runs every process once per round, in turns, until minTime has passed and
// at least three rounds are done (one when minTime is 0), after one round to
// warm the page cache.
void timeProcesses(std::vector<ProcessFigure>& figures, double minTime) {
  for (const auto& fig : figures)
    if (runQuiet(fig.argv).status != 0) fail(fig.title + " failed");
  const int minRounds = minTime > 0 ? 3 : 1;
  const auto start = Clock::now();
  for (int round = 0; round < 1000; ++round) {
    for (auto& fig : figures) {
      const ProcessRun r = runQuiet(fig.argv);
      if (r.status != 0) fail(fig.title + " failed");
      fig.timing.seconds.push_back(r.seconds);
      fig.maxRssKb = std::max(fig.maxRssKb, r.maxRssKb);
    }
    if (round + 1 >= minRounds && std::chrono::duration<double>(Clock::now() - start).count() >= minTime) break;
  }
}

void printRow(const std::string& folder, const std::string& figure, double mb, double bestMs, double medianMs,
              double mbps, double ratio, double rssMb) {
  char line[256];
  auto num = [](double v, const char* fmt) {
    char b[32];
    if (v < 0) return std::string("-");
    std::snprintf(b, sizeof b, fmt, v);
    return std::string(b);
  };
  std::snprintf(line, sizeof line, "%-10s %-24s %8s %10s %10s %8s %8s %9s", folder.c_str(), figure.c_str(),
                num(mb, "%.1f").c_str(), num(bestMs, "%.1f").c_str(), num(medianMs, "%.1f").c_str(),
                num(mbps, "%.0f").c_str(), num(ratio, "%.2f").c_str(), num(rssMb, "%.1f").c_str());
  std::cout << line << "\n";
}

// One value edited in the folder's largest file by `quillmark-cli set`, from
// reading to the replaced file, against `cp` of the same file: a copy of it
// is the weapons.tdf of a game folder of its own under the system's
// temporary folder. Two values are set in turns, so that every run writes.
void timeEdit(const Folder& f, const fs::path& cli, const std::string& label, double minTime) {
  fs::path largest;
  std::uintmax_t size = 0;
  for (const auto& p : f.allFiles)
    if (const auto n = fs::file_size(p); n > size) size = n, largest = p;
  const fs::path game = fs::temp_directory_path() / ("qm-bench-edit-" + std::to_string(getpid()));
  const fs::path file = game / "weapons" / "weapons.tdf";
  fs::create_directories(file.parent_path());
  fs::copy_file(largest, file, fs::copy_options::overwrite_existing);
  // The last weapon header of the file.
  std::ifstream in(file, std::ios::binary);
  std::string weapon;
  for (std::string line; std::getline(in, line);)
    if (line.starts_with("[") && !line.starts_with("[DAMAGE]")) weapon = line.substr(1, line.find(']') - 1);
  if (weapon.empty()) fail("edit: no weapon in " + largest.string());
  const std::vector<std::string> set = {cli.string(), "--game", game.string(), "set", weapon, "--no-backup"};
  // `set` replaces the file only once its bytes are on the disk; cp leaves
  // them in the page cache. A copy followed by `sync` of it is shown too.
  const std::string copy = (game / "copy.tdf").string();
  // The first edit of a file also writes FILE.bak: the last row removes it
  // before each run, through a shell as the second row.
  std::vector<std::string> first = {"sh", "-c", "rm -f \"$0\" && exec \"$@\"", file.string() + ".bak"};
  first.insert(first.end(), set.begin(), set.end() - 1);
  std::vector<ProcessFigure> procs = {
      {"process: cp largest file", {"cp", largest.string(), copy}, {}, 0},
      {"process: cp + sync of it", {"sh", "-c", "cp \"$0\" \"$1\" && sync \"$1\"", largest.string(), copy}, {}, 0},
      {"process: cli set 1 value", set, {}, 0},
      {"process: set, and .bak", first, {}, 0},
      {"", set, {}, 0}};
  // Each run sets another value than the one before, so that every run writes.
  procs[2].argv.push_back("reloadtime=1.25");
  procs[3].argv.push_back("reloadtime=3.75");
  procs[4].argv.push_back("reloadtime=2.5");
  timeProcesses(procs, minTime);
  if (!fs::exists(file) || fs::file_size(file) < size) fail("edit: the edited file is not all there");
  for (double s : procs[4].timing.seconds) procs[2].timing.seconds.push_back(s);
  procs[2].maxRssKb = std::max(procs[2].maxRssKb, procs[4].maxRssKb);
  const double mb = megabytes(size), cpMbps = mb / procs[0].timing.best();
  for (int i = 0; i < 4; ++i) {
    const double mbps = mb / procs[i].timing.best();
    printRow(label, procs[i].title, mb, procs[i].timing.best() * 1e3, procs[i].timing.median() * 1e3, mbps,
             mbps / cpMbps, procs[i].maxRssKb / 1024.0);
  }
  std::cout << "           (edit rows: x floor is over cp's MB/s; " << largest.filename().string() << ", weapon "
            << weapon << ")\n";
  fs::remove_all(game);
}

struct WindowFigure {
  double bestMs = -1, medianMs = -1, reportedMs = -1;
  double rssMb = -1;
};

// Starts the window on a game folder `runs` times.
WindowFigure timeWindow(const fs::path& exe, const fs::path& gameDir, int runs) {
  fs::path target = gameDir / exe.filename();
  std::error_code ec;
  if (!fs::equivalent(exe, target, ec)) {
    fs::copy_file(exe, target, fs::copy_options::overwrite_existing, ec);
    if (ec) fail("cannot copy the window program to " + target.string() + ": " + ec.message());
  }
  std::vector<std::string> env = {"QM_EXIT_AFTER_SHOW=1"};
  if (!std::getenv("QT_QPA_PLATFORM")) env.push_back("QT_QPA_PLATFORM=offscreen");
  Timing t, reported;
  long rss = 0;
  for (int i = 0; i < runs; ++i) {
    const ChildResult r = runChild({fs::absolute(target).string()}, env, "QM_SHOWN_MS=", 120);
    if (r.status != 0) fail("the window program failed on " + gameDir.string() + ":\n" + r.output);
    t.seconds.push_back(r.seconds);
    reported.seconds.push_back(r.reportedMs);
    rss = std::max(rss, r.maxRssKb);
  }
  return {t.best() * 1e3, t.median() * 1e3, reported.median(), static_cast<double>(rss) / 1024.0};
}

std::string selfExe() {
  std::error_code ec;
  const auto p = fs::read_symlink("/proc/self/exe", ec);
  if (ec) fail("cannot find this program");
  return p.string();
}

void usage() {
  std::cerr
      << "usage: qm-bench [--min-time SECONDS] [--window EXE] [--sample DIR] [--window-runs N] [--cli EXE] FOLDER...\n"
         "       qm-bench --time SECONDS FOLDER  (the timed rounds alone)\n"
         "       qm-bench --once FIGURE FOLDER   (one pass of floor|line-reader|scan|load-last|load-missing|idle)\n";
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  double minTime = 3;
  int windowRuns = 5;
  std::optional<fs::path> windowExe, sampleDir, cliExe;
  std::vector<fs::path> folders;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) usage();
      return args[++i];
    };
    if (a == "--once") {
      // A single pass in a process of its own, for its peak memory.
      const std::string figure = value();
      if (figure == "idle") return 0;
      runOnce(figure, readFolder(value()));
      return 0;
    }
    if (a == "--time") {
      // The timed rounds, in a process of their own: one line per figure,
      // its name and the seconds of each pass.
      const double seconds = std::atof(value().c_str());
      for (const auto& [name, t] : timeFigures(readFolder(value()), seconds)) {
        std::cout << name;
        for (double x : t.seconds) std::cout << ' ' << x;
        std::cout << '\n';
      }
      return 0;
    }
    if (a == "--min-time")
      minTime = std::atof(value().c_str());
    else if (a == "--window")
      windowExe = fs::absolute(value());
    else if (a == "--sample")
      sampleDir = fs::absolute(value());
    else if (a == "--cli")
      cliExe = fs::absolute(value());
    else if (a == "--window-runs")
      windowRuns = std::max(1, std::atoi(value().c_str()));
    else if (a.starts_with("-"))
      usage();
    else
      folders.emplace_back(a);
  }
  if (folders.empty()) usage();

  std::cout << "MB = 10^6 bytes read per pass; times are the best and the median of the passes; x floor = MB/s\n"
               "over the floor's MB/s in the same run (for the process rows: over wc -l's); RSS = peak resident\n"
               "memory of a process that does one pass.\n\n";
  char head[256];
  std::snprintf(head, sizeof head, "%-10s %-24s %8s %10s %10s %8s %8s %9s", "folder", "figure", "MB", "best ms",
                "median ms", "MB/s", "x floor", "RSS MB");
  std::cout << head << "\n" << std::string(std::strlen(head), '-') << "\n";

  const std::string self = selfExe();
  const ChildResult idle = runChild({self, "--once", "idle", "."}, {}, "", 60);
  printRow("-", "process, doing nothing", -1, -1, -1, -1, -1, idle.maxRssKb / 1024.0);
  std::cout.flush();

  WindowFigure sample;
  if (windowExe && sampleDir) {
    sample = timeWindow(*windowExe, *sampleDir, windowRuns);
    printRow("sample", "window: first frame", -1, sample.bestMs, sample.medianMs, -1, -1, sample.rssMb);
    char more[160];
    std::snprintf(more, sizeof more, "%-10s   %.1f ms of it after main() began", "", sample.reportedMs);
    std::cout << more << "\n";
    std::cout.flush();
  }

  for (const auto& dir : folders) {
    const Folder f = readFolder(dir);
    const std::string label = dir.filename().string();
    // Every figure runs in a child process, so that this one stays small: a
    // child's peak memory can never read lower than its parent's at the start.
    std::ostringstream seconds;
    seconds << minTime;
    const ChildResult timed = runChild({self, "--time", seconds.str(), fs::absolute(dir).string()}, {}, "", 600);
    if (timed.status != 0) fail("the timed passes failed on " + dir.string());
    std::map<std::string, Timing> timing;
    std::istringstream lines(timed.output);
    for (std::string line; std::getline(lines, line);) {
      std::istringstream words(line);
      std::string name;
      words >> name;
      for (double x; words >> x;) timing[name].seconds.push_back(x);
    }
    const double mb = megabytes(f.bytes);
    const double floorMbps = mb / timing.at("floor").best();
    const std::map<std::string, std::string> titles = {
        {"floor", "floor: read + memchr"}, {"line-reader", "LineReader, streamed"}, {"scan", "scan (list + imports)"},
        {"load-last", "load last weapon"}, {"load-missing", "load missing weapon"}, {"ids", "ids: ID census"},
        {"lint", "lint: all checks"}};
    for (const char* name : kFigures) {
      const ChildResult mem = runChild({self, "--once", name, fs::absolute(dir).string()}, {}, "", 600);
      if (mem.status != 0) fail(std::string(name) + " failed in a process of its own");
      const Timing& t = timing.at(name);
      const double mbps = mb / t.best();
      printRow(label, titles.at(name), mb, t.best() * 1e3, t.median() * 1e3, mbps, mbps / floorMbps,
               mem.maxRssKb / 1024.0);
    }
    if (windowExe) {
      const WindowFigure w = timeWindow(*windowExe, dir, std::max(1, windowRuns / 2 + 1));
      printRow(label, "window: first frame", megabytes(f.standardBytes), w.bestMs, w.medianMs, -1, -1, w.rssMb);
      char more[160];
      std::snprintf(more, sizeof more, "%-10s   %.1f ms of it after main() began", "", w.reportedMs);
      std::cout << more;
      if (sample.rssMb >= 0) {
        std::snprintf(more, sizeof more, "; %+.1f MB resident over the sample game's window", w.rssMb - sample.rssMb);
        std::cout << more;
      }
      std::cout << "\n";
    }
    if (cliExe) {
      std::vector<std::string> wc = {"wc", "-l"}, game = {cliExe->string(), "--game", fs::absolute(dir).string()};
      for (const auto& p : f.allFiles) wc.push_back(fs::absolute(p).string());
      for (const auto& p : f.extras) game.insert(game.end(), {"--import", fs::absolute(p).string()});
      std::vector<std::string> list = game, show = game, table = game;
      list.push_back("list");
      show.insert(show.end(), {"show", f.last, "--actual", "--json"});
      table.insert(table.end(), {"table", "--format", "tsv"});
      std::vector<ProcessFigure> procs = {{"process: wc -l", wc, {}, 0},
                                          {"process: cli list", list, {}, 0},
                                          {"process: cli show --json", show, {}, 0},
                                          {"process: cli table tsv", table, {}, 0}};
      timeProcesses(procs, minTime);
      const double wcMbps = mb / procs[0].timing.best();
      for (const auto& p : procs) {
        const double mbps = mb / p.timing.best();
        printRow(label, p.title, mb, p.timing.best() * 1e3, p.timing.median() * 1e3, mbps, mbps / wcMbps,
                 p.maxRssKb / 1024.0);
      }
    }
    if (cliExe && !f.unitFiles.empty()) {
      // The units: `units` and `table --units` against `wc -l` over the unit files.
      std::vector<std::string> wc = {"wc", "-l"}, game = {cliExe->string(), "--game", fs::absolute(dir).string()};
      for (const auto& p : f.unitFiles) wc.push_back(fs::absolute(p).string());
      std::vector<std::string> units = game, table = game;
      units.push_back("units");
      table.insert(table.end(), {"table", "--units", "--format", "tsv"});
      std::vector<ProcessFigure> procs = {
          {"units: wc -l", wc, {}, 0}, {"units: cli units", units, {}, 0}, {"units: cli table tsv", table, {}, 0}};
      timeProcesses(procs, minTime);
      const double unitMb = megabytes(f.unitBytes), wcMbps = unitMb / procs[0].timing.best();
      for (const auto& p : procs) {
        const double mbps = unitMb / p.timing.best();
        printRow(label, p.title, unitMb, p.timing.best() * 1e3, p.timing.median() * 1e3, mbps, mbps / wcMbps,
                 p.maxRssKb / 1024.0);
      }
      char more[160];
      std::snprintf(more, sizeof more, "%-10s   peak memory over the unit files' bytes: units %.2f, table %.2f", "",
                    procs[1].maxRssKb * 1024.0 / static_cast<double>(f.unitBytes),
                    procs[2].maxRssKb * 1024.0 / static_cast<double>(f.unitBytes));
      std::cout << more << "\n";
    }
    if (cliExe) timeEdit(f, *cliExe, label, minTime);
    std::cout << "           (" << f.weapons << " weapons, " << f.standardWeapons << " of them in the standard files; "
              << f.allFiles.size() << " files)\n";
    std::cout.flush();
  }
  return 0;
}
