#pragma once

// Reporting for the Win32 test programs: one "PASS name" or "FAIL name: detail" line per check
// and a closing "N passed, M failed" line, which scripts/test-windows counts.
#include <cstdio>
#include <string>

namespace wintest {

inline int passed = 0;
inline int failed = 0;

inline bool Check(bool ok, const std::string& name, const std::string& detail = {}) {
  if (ok) {
    ++passed;
    std::printf("PASS %s\n", name.c_str());
  } else {
    ++failed;
    std::printf("FAIL %s%s%s\n", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
  }
  std::fflush(stdout);
  return ok;
}

inline int Finish() {
  std::printf("%d passed, %d failed\n", passed, failed);
  std::fflush(stdout);
  return failed == 0 ? 0 : 1;
}

}  // namespace wintest
