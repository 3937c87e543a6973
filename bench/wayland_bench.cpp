// The program's cost on the headless Wayland session (run it through session.sh):
//  - CPU of the program, of mutter (the compositor), of its Xwayland and of PipeWire at 10
//    passes a second, with the pointer moving, still, and frozen (F), beside the same servers'
//    cost with no program running, measured in the same run;
//  - the time from a start with a stored permission token to the first sampled frame;
//  - the program's resident memory.
// Prints a table and writes the figures as JSON; scripts/bench checks them against the budgets.
//
//   hueclip_wayland_bench [--phase-s S] [--starts N] [--out FILE]
#include <X11/keysym.h>
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "desktop.h"

namespace acceptance {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Time on a CPU of all the threads of a process, in seconds.
double CpuSeconds(pid_t pid) {
  double total = 0;
  std::string dir = "/proc/" + std::to_string(pid) + "/task";
  std::error_code ec;
  for (const auto& task : fs::directory_iterator(dir, ec)) {
    std::ifstream f(task.path() / "schedstat");
    long long ns = 0;
    if (f >> ns) total += static_cast<double>(ns) / 1e9;
  }
  return total;
}

double RssMb(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(f, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return -1;
}

// The child of parent whose command name is comm, or -1.
pid_t ChildNamed(pid_t parent, const std::string& comm) {
  for (const auto& e : fs::directory_iterator("/proc")) {
    std::string name = e.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream f(e.path() / "stat");
    std::string stat((std::istreambuf_iterator<char>(f)), {});
    size_t open = stat.find('('), close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 2));
    char state;
    pid_t ppid = 0;
    rest >> state >> ppid;
    if (ppid == parent && stat.substr(open + 1, close - open - 1) == comm)
      return static_cast<pid_t>(std::stoi(name));
  }
  return -1;
}

struct Options {
  double phase_s = 10;
  int starts = 3;
  std::string out = "build/bench/wayland.json";
};

class Bench {
 public:
  explicit Bench(const Options& o) : o_(o) {}
  ~Bench() {
    if (!state_.empty()) fs::remove_all(state_);
  }
  int Run();

 private:
  MutterDriver& M() { return desktop_.mutter(); }
  XDriver& X() { return desktop_.x(); }
  // Starts the program with the state directory; its main window, or 0.
  Window Start(pid_t* pid);
  void Stop(pid_t* pid) { KillGroup(*pid), *pid = -1; }
  // Each server's (and the program's, when pid > 0) CPU, in % of a core, over one phase while
  // the pointer moves (every 50 ms) or rests.
  std::map<std::string, double> Phase(pid_t pid, bool moving);

  Options o_;
  Desktop desktop_;
  fs::path state_;
  std::map<std::string, pid_t> servers_;
};

Window Bench::Start(pid_t* pid) {
  *pid = Spawn({HUECLIP_PROGRAM}, {"XDG_STATE_HOME=" + state_.string()});
  Window w = X().WaitFor("Hueclip", 10s);
  if (w) X().Move(w, kWindowX, kWindowY);
  return w;
}

std::map<std::string, double> Bench::Phase(pid_t pid, bool moving) {
  std::map<std::string, pid_t> who = servers_;
  if (pid > 0) who["program"] = pid;
  std::map<std::string, double> before, cpu;
  for (auto& [name, p] : who) before[name] = CpuSeconds(p);
  const auto t0 = Clock::now();
  for (int step = 0; Clock::now() - t0 < std::chrono::duration<double>(o_.phase_s); ++step) {
    if (moving) M().MovePointer(40 + (step * 7) % 360, 40 + (step * 13) % 380);
    std::this_thread::sleep_for(moving ? 20ms : 100ms);  // MovePointer itself takes 30 ms
  }
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  for (auto& [name, p] : who) cpu[name] = 100.0 * (CpuSeconds(p) - before[name]) / wall;
  return cpu;
}

int Bench::Run() {
  std::string error;
  if (!desktop_.Start(&error)) return fprintf(stderr, "wayland bench: %s\n", error.c_str()), 1;
  const char* mutter = std::getenv("HUECLIP_MUTTER_PID");
  const char* pipewire = std::getenv("HUECLIP_PIPEWIRE_PID");
  if (!mutter || !pipewire) return fprintf(stderr, "wayland bench: run through session.sh\n"), 1;
  servers_["mutter"] = std::atoi(mutter);
  servers_["pipewire"] = std::atoi(pipewire);
  servers_["Xwayland"] = ChildNamed(servers_["mutter"], "Xwayland");
  char dir[] = "/tmp/hueclip-wayland-bench-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  state_ = fs::path(dir);

  // The permission, once: the token stored now serves every later start.
  pid_t pid = -1;
  Window main = Start(&pid);
  if (!main || !desktop_.AnswerShareDialog(true)) {
    Stop(&pid);
    return fprintf(stderr, "wayland bench: no window, or no Screen Share dialog\n"), 1;
  }
  const fs::path tokens = state_ / "hueclip";
  X().Poll([&] { return fs::exists(tokens) && !fs::is_empty(tokens); }, 5s);
  Stop(&pid);

  // Start to first sampled frame, with the token.
  const int px = 60, py = 400;  // clear of where mutter puts a new window
  M().MovePointer(px, py);
  std::vector<double> first_ms;
  for (int i = 0; i < o_.starts; ++i) {
    const auto t0 = Clock::now();
    pid = Spawn({HUECLIP_PROGRAM}, {"XDG_STATE_HOME=" + state_.string()});
    Window w = 0;
    while (Clock::now() - t0 < 10s) {
      if (!w) w = X().Find("Hueclip");
      if (w && BlockMismatch(X().GrabWindow(w), BlockAt(px, py)).empty()) break;
      std::this_thread::sleep_for(5ms);
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    first_ms.push_back(ms);
    bool dialog = desktop_.ShareDialogShown();
    Stop(&pid);
    if (ms >= 10000 || dialog) {
      return fprintf(stderr, "wayland bench: start %d did not sample%s\n", i + 1,
                     dialog ? " (the permission dialog came again)" : ""),
             1;
    }
  }
  std::sort(first_ms.begin(), first_ms.end());

  // CPU: no program; then the program live (pointer moving, still), and frozen.
  std::map<std::string, std::map<std::string, double>> cpu;
  cpu["no program, moving"] = Phase(-1, true);
  cpu["no program, still"] = Phase(-1, false);
  main = Start(&pid);
  if (!main) return fprintf(stderr, "wayland bench: no window\n"), 1;
  X().Sleep(1s);
  cpu["live, moving"] = Phase(pid, true);
  cpu["live, still"] = Phase(pid, false);
  Rect r = X().ClientRect(main);
  M().Click(r.x + 40, r.y + 40);  // the cells: gives the window the keyboard
  M().Key(XK_f);
  if (!X().Poll([&] { return X().Title(main) == "-Frozen-"; }, 2s))
    return fprintf(stderr, "wayland bench: F did not freeze\n"), 1;
  M().MovePointer(200, 200);
  X().Sleep(1s);
  cpu["frozen, still"] = Phase(pid, false);
  const double rss = RssMb(pid);
  Stop(&pid);

  // The table.
  const char* phases[] = {"no program, moving", "no program, still", "live, moving", "live, still",
                          "frozen, still"};
  const char* who[] = {"program", "mutter", "Xwayland", "pipewire"};
  printf(
      "\nWayland (headless mutter, 640x480, software rendering): CPU in %% of a core, %.0f s a "
      "phase\n",
      o_.phase_s);
  printf("%-20s %9s %9s %9s %9s\n", "", who[0], who[1], who[2], who[3]);
  for (const char* p : phases) {
    printf("%-20s", p);
    for (const char* w : who) {
      auto it = cpu[p].find(w);
      if (it == cpu[p].end())
        printf(" %9s", "-");
      else
        printf(" %9.2f", it->second);
    }
    printf("\n");
  }
  const double first_median = first_ms[first_ms.size() / 2];
  printf("program RSS                   %6.1f MB\n", rss);
  printf("start to first sampled frame  %6.0f ms (median of %zu; %.0f to %.0f)\n", first_median,
         first_ms.size(), first_ms.front(), first_ms.back());

  std::ostringstream json;
  json << "{\n  \"phase_s\": " << o_.phase_s << ",\n  \"cpu_pct\": {";
  bool first_phase = true;
  for (const char* p : phases) {
    json << (first_phase ? "\n" : ",\n") << "    \"" << p << "\": {";
    first_phase = false;
    bool first = true;
    for (auto& [name, v] : cpu[p])
      json << (first ? "" : ", ") << "\"" << name << "\": " << v, first = false;
    json << "}";
  }
  json << "\n  },\n  \"rss_mb\": " << rss << ",\n  \"first_frame_ms\": [";
  for (size_t i = 0; i < first_ms.size(); ++i) json << (i ? ", " : "") << first_ms[i];
  json << "]\n}\n";
  fs::create_directories(fs::absolute(o_.out).parent_path());
  std::ofstream(o_.out) << json.str();
  printf("Figures written to %s\n", o_.out.c_str());
  return 0;
}

}  // namespace
}  // namespace acceptance

int main(int argc, char** argv) {
  acceptance::Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string a = argv[i];
    if (a == "--phase-s")
      o.phase_s = std::atof(argv[i + 1]);
    else if (a == "--starts")
      o.starts = std::max(1, std::atoi(argv[i + 1]));
    else if (a == "--out")
      o.out = argv[i + 1];
    else
      return fprintf(stderr, "usage: %s [--phase-s S] [--starts N] [--out FILE]\n", argv[0]), 2;
  }
  return acceptance::Bench(o).Run();
}
