// hueclip_soak: an hour of ticks (36,000 sampling passes by default) through the real X11
// screen provider, back to back, with the process's memory and its X server resources before
// and after. Prints one JSON object.
#include <X11/Xlib.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "bench/one_pass.h"
#include "bench/x_requests.h"
#include "platform/x11/screen.h"

namespace {

long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string key;
  long value = -1;
  while (in >> key) {
    if (key == field) {
      in >> value;
      break;
    }
    in.ignore(1 << 12, '\n');
  }
  return value;
}

struct Snapshot {
  long rssKb;
  long heapBytes;
  std::map<std::string, long> xres;
};

Snapshot Take(Display* display) {
  return {StatusKb("VmRSS:"), static_cast<long>(mallinfo2().uordblks),
          hueclip::bench::XResourcesOf(display, getpid())};
}

void Print(const char* name, const Snapshot& s) {
  std::printf("  \"%s\": {\"rss_kb\": %ld, \"heap_bytes\": %ld, \"x_resources\": {", name, s.rssKb,
              s.heapBytes);
  const char* sep = "";
  for (const auto& [type, count] : s.xres) {
    std::printf("%s\"%s\": %ld", sep, type.c_str(), count);
    sep = ", ";
  }
  std::printf("}}");
}

}  // namespace

int main(int argc, char** argv) {
  const long passes = argc > 1 ? std::atol(argv[1]) : 36000;
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fputs("hueclip_soak: no X display\n", stderr);
    return 1;
  }
  hueclip::x11::X11Screen screen(display, hueclip::x11::X11Screen::Connection::kShared);
  volatile std::int32_t sink = 0;
  for (int i = 0; i < 100; ++i)
    sink = sink + hueclip::bench::OnePass(screen);  // warm the allocator and Xlib
  const Snapshot before = Take(display);
  for (long i = 0; i < passes; ++i) sink = sink + hueclip::bench::OnePass(screen);
  const Snapshot after = Take(display);
  std::printf("{\n  \"passes\": %ld,\n", passes);
  Print("before", before);
  std::printf(",\n");
  Print("after", after);
  std::printf("\n}\n");
  XCloseDisplay(display);
  return 0;
}
