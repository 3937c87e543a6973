#pragma once

#include <string>
#include <string_view>

namespace hueclip::portal {

// The screen-cast portal's restore token is the one thing Hueclip keeps between runs: with it,
// the next start is granted the screen without asking the user again. It lives in
// $XDG_STATE_HOME/hueclip/ (by default ~/.local/state/hueclip/), readable by the user alone.
// Wherever it cannot be read or written, the portal simply asks again.

// The token file's path from the values of XDG_STATE_HOME and HOME (either may be null); a
// relative XDG_STATE_HOME is ignored, as the XDG base directories say. Empty when neither
// gives an absolute directory.
std::string RestoreTokenPath(const char* xdgStateHome, const char* home);

// The stored token, or empty when there is none or the file holds anything but a UUID (and the
// newline that SaveRestoreToken ends it with): xdg-desktop-portal hands out UUIDs and refuses the
// whole request when a token sent back is anything else.
std::string LoadRestoreToken(const std::string& path);

// Removes the stored token, one that the portal refused.
void ForgetRestoreToken(const std::string& path);

// Replaces the stored token, creating the missing directories (mode 0700); the file gets mode
// 0600 whatever the umask or an earlier file's mode. False when it could not be written.
bool SaveRestoreToken(const std::string& path, std::string_view token);

}  // namespace hueclip::portal
