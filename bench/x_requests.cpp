#include "bench/x_requests.h"

#include <X11/Xlibint.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/record.h>
#include <unistd.h>

#include <cstdio>

namespace hueclip::bench {
namespace {

// Names of the core requests a sampling pass can make; the rest go by number.
std::string RequestName(int opcode) {
  switch (opcode) {
    case X_GetWindowAttributes:
      return "GetWindowAttributes";
    case X_GetGeometry:
      return "GetGeometry";
    case X_QueryPointer:
      return "QueryPointer";
    case X_GetImage:
      return "GetImage";
    case X_QueryColors:
      return "QueryColors";
    case X_GetInputFocus:
      return "GetInputFocus";
    case X_TranslateCoords:
      return "TranslateCoords";
    default:
      return opcode >= 128 ? "extension-" + std::to_string(opcode)
                           : "core-" + std::to_string(opcode);
  }
}

struct Tally {
  std::map<std::string, long> byName;
};

void OnRecord(XPointer closure, XRecordInterceptData* data) {
  auto* tally = reinterpret_cast<Tally*>(closure);
  if (data->category == XRecordFromClient && data->data)
    ++tally->byName[RequestName(data->data[0])];
  XRecordFreeData(data);
}

}  // namespace

XRecordRange* EveryRequest() {
  XRecordRange* range = XRecordAllocRange();
  range->core_requests.first = 1;
  range->core_requests.last = 127;
  range->ext_requests.ext_major.first = 128;
  range->ext_requests.ext_major.last = 255;
  range->ext_requests.ext_minor.first = 0;
  range->ext_requests.ext_minor.last = 0xffff;
  return range;
}

std::map<std::string, long> RecordRequests(Display* display, const std::function<void()>& work) {
  int major = 0, minor = 0;
  Display* control = XOpenDisplay(DisplayString(display));
  Display* data = XOpenDisplay(DisplayString(display));
  Tally tally;
  if (!control || !data || !XRecordQueryVersion(control, &major, &minor)) {
    if (control) XCloseDisplay(control);
    if (data) XCloseDisplay(data);
    work();
    return {};
  }
  // Any resource of the client names it; a GC is the cheapest to make.
  const GC gc = XCreateGC(display, DefaultRootWindow(display), 0, nullptr);
  XSync(display, False);
  XRecordClientSpec client = XGContextFromGC(gc);
  XRecordRange* range = EveryRequest();
  const XRecordContext ctx = XRecordCreateContext(control, 0, &client, 1, &range, 1);
  XFree(range);
  XSync(control, False);
  XRecordEnableContextAsync(data, ctx, OnRecord, reinterpret_cast<XPointer>(&tally));
  XFlush(data);
  // The data connection carries nothing else while enabled; give the server time to start.
  usleep(20000);
  XRecordProcessReplies(data);
  work();
  XSync(display, False);  // one GetInputFocus: taken out below
  usleep(20000);
  XRecordProcessReplies(data);
  XRecordDisableContext(control, ctx);
  XSync(control, False);
  XRecordProcessReplies(data);
  XRecordFreeContext(control, ctx);
  XFreeGC(display, gc);
  XSync(display, False);
  XCloseDisplay(data);
  XCloseDisplay(control);
  if (--tally.byName["GetInputFocus"] == 0) tally.byName.erase("GetInputFocus");
  return tally.byName;
}

std::vector<XID> ClientsOf(Display* display, long pid) {
  XResClientIdSpec everyClient{None, XRES_CLIENT_ID_PID_MASK};
  long n = 0;
  XResClientIdValue* ids = nullptr;
  std::vector<XID> out;
  if (XResQueryClientIds(display, 1, &everyClient, &n, &ids) != Success) return out;
  for (long i = 0; i < n; ++i) {
    const auto& [client, length, value] = ids[i];
    if (XResGetClientPid(&ids[i]) == pid) out.push_back(client.client);
  }
  XResClientIdsDestroy(n, ids);
  return out;
}

std::map<std::string, long> XResourcesOf(Display* display, long pid) {
  std::map<std::string, long> out;
  long total = 0;
  for (XID client : ClientsOf(display, pid)) {
    int count = 0;
    XResType* types = nullptr;
    if (!XResQueryClientResources(display, client, &count, &types)) continue;
    for (int t = 0; t < count; ++t) {
      char* name = XGetAtomName(display, types[t].resource_type);
      out[name ? name : "?"] += types[t].count;
      total += types[t].count;
      if (name) XFree(name);
    }
    XFree(types);
  }
  out["total"] = total;
  return out;
}

}  // namespace hueclip::bench
