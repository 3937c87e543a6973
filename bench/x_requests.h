#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/record.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace hueclip::bench {

// The requests that `display` sends to the X server while `work` runs, by name ("GetImage",
// "QueryPointer", ...), counted by the server itself through the RECORD extension. Empty when
// the server has no RECORD.
std::map<std::string, long> RecordRequests(Display* display, const std::function<void()>& work);

// A RECORD range over every request, core and extension; free it with XFree.
XRecordRange* EveryRequest();

// The X clients (connections) of process `pid`, as the server knows them through X-Resource.
std::vector<XID> ClientsOf(Display* display, long pid);

// The X server resources held by every client of process `pid`, by type, and their total under
// "total".
std::map<std::string, long> XResourcesOf(Display* display, long pid);

}  // namespace hueclip::bench
