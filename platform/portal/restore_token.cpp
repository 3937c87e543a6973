#include "platform/portal/restore_token.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace hueclip::portal {
namespace {

constexpr std::string_view kFileName = "hueclip/screen-cast-token";
// A token is a UUID, 36 characters; the file holds it and a newline.
constexpr std::size_t kTokenLength = 36;

bool IsAbsolute(const char* dir) { return dir != nullptr && dir[0] == '/'; }

bool MakeParents(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string dir = path.substr(0, slash);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool IsRestoreToken(std::string_view text) {
  // 8-4-4-4-12 hexadecimal digits.
  if (text.size() != kTokenLength) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (dash ? c != '-' : !hex) return false;
  }
  return true;
}

}  // namespace

std::string RestoreTokenPath(const char* xdgStateHome, const char* home) {
  std::string dir;
  if (IsAbsolute(xdgStateHome))
    dir = xdgStateHome;
  else if (IsAbsolute(home))
    dir = std::string(home) + "/.local/state";
  else
    return {};
  if (dir.back() != '/') dir += '/';
  return dir + std::string(kFileName);
}

std::string LoadRestoreToken(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  // One byte beyond the token and its newline tells a file that holds more.
  std::string token(kTokenLength + 2, '\0');
  std::size_t got = 0;
  while (got < token.size()) {
    const ssize_t n = read(fd, token.data() + got, token.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  close(fd);
  token.resize(got);
  if (token.size() == kTokenLength + 1 && token.back() == '\n') token.pop_back();
  return IsRestoreToken(token) ? token : std::string();
}

void ForgetRestoreToken(const std::string& path) {
  if (!path.empty()) unlink(path.c_str());
}

bool SaveRestoreToken(const std::string& path, std::string_view token) {
  if (path.empty() || !MakeParents(path)) return false;
  // Written beside the old file and renamed over it, so a crash never leaves half a token.
  const std::string temporary = path + ".new";
  const int fd =
      open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  bool ok = fchmod(fd, 0600) == 0 && WriteAll(fd, token) && WriteAll(fd, "\n");
  ok = close(fd) == 0 && ok;
  if (ok && rename(temporary.c_str(), path.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

}  // namespace hueclip::portal
