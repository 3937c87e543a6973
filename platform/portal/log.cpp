#include "platform/portal/log.h"

namespace hueclip::portal {

// Only warnings would pass by default, and none are written: everything is debug or info.
Q_LOGGING_CATEGORY(lcPortal, "hueclip.portal", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPipeWire, "hueclip.pipewire", QtWarningMsg)

}  // namespace hueclip::portal
