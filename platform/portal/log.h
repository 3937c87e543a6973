#pragma once

#include <QLoggingCategory>

namespace hueclip::portal {

// What the screen-cast portal answered, and what PipeWire negotiated, did and failed at, for a
// bug report. Both are silent unless QT_LOGGING_RULES turns them on: "hueclip.*=true".
Q_DECLARE_LOGGING_CATEGORY(lcPortal)
Q_DECLARE_LOGGING_CATEGORY(lcPipeWire)

}  // namespace hueclip::portal
