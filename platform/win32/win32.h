#pragma once

// windows.h as the backend uses it. Its MessageBox macro would rename Toolkit::MessageBox, so it
// goes; call MessageBoxW by name.
#include <windows.h>

// After windows.h, which it needs.
#include <shellapi.h>

#undef MessageBox
