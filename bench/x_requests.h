#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <map>
#include <string>

namespace hueclip::bench {

// The requests that `display` sends to the X server while `work` runs, by name ("GetImage",
// "QueryPointer", ...), counted by the server itself through the RECORD extension. Empty when
// the server has no RECORD.
std::map<std::string, long> RecordRequests(Display* display, const std::function<void()>& work);

// The X server resources held by every client of this process, by type, and their total under
// "total".
std::map<std::string, long> OwnXResources(Display* display);

}  // namespace hueclip::bench
