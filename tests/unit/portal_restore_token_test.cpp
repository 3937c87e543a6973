#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>

#include "platform/portal/restore_token.h"

namespace hueclip::portal {
namespace {

constexpr char kToken[] = "a2a7e108-dc27-4eef-9c3b-0d51b7c1a2f4";

TEST(PortalRestoreToken, LivesInTheUsersStateDirectory) {
  EXPECT_EQ(RestoreTokenPath("/x/state", "/home/u"), "/x/state/hueclip/screen-cast-token");
  EXPECT_EQ(RestoreTokenPath("/x/state/", "/home/u"), "/x/state/hueclip/screen-cast-token");
  EXPECT_EQ(RestoreTokenPath(nullptr, "/home/u"), "/home/u/.local/state/hueclip/screen-cast-token");
  EXPECT_EQ(RestoreTokenPath("", "/home/u"), "/home/u/.local/state/hueclip/screen-cast-token");
  // A relative XDG_STATE_HOME is not to be used.
  EXPECT_EQ(RestoreTokenPath("state", "/home/u"), "/home/u/.local/state/hueclip/screen-cast-token");
  EXPECT_EQ(RestoreTokenPath("state", "home"), "");
  EXPECT_EQ(RestoreTokenPath(nullptr, nullptr), "");
}

class PortalRestoreTokenFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/hueclip-token-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  static unsigned Mode(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }

  std::string dir_;
};

// Even under the widest umask.
TEST_F(PortalRestoreTokenFile, IsWrittenWithItsDirectoriesForTheUserAlone) {
  const std::string path = RestoreTokenPath((dir_ + "/state").c_str(), nullptr);
  EXPECT_EQ(LoadRestoreToken(path), "");  // nothing stored yet
  const mode_t umask_before = umask(0);
  ASSERT_TRUE(SaveRestoreToken(path, kToken));
  // Then over an older file readable by all, and a temporary file left by a crash.
  for (const std::string& file : {path, path + ".new"}) {
    { std::ofstream(file) << "garbage that was longer than a token, by far\n"; }
    chmod(file.c_str(), 0666);
  }
  ASSERT_TRUE(SaveRestoreToken(path, kToken));
  umask(umask_before);
  EXPECT_EQ(LoadRestoreToken(path), kToken);
  EXPECT_EQ(Mode(path), 0600u);
  EXPECT_EQ(Mode(dir_ + "/state/hueclip"), 0700u);
  EXPECT_NE(access((path + ".new").c_str(), F_OK), 0);  // no temporary file left behind
}

TEST_F(PortalRestoreTokenFile, AnUnusableDirectoryOnlyMeansNoToken) {
  // The state "directory" is a file: nothing can be created below it.
  { std::ofstream(dir_ + "/file") << "x"; }
  const std::string path = RestoreTokenPath((dir_ + "/file").c_str(), nullptr);
  EXPECT_FALSE(SaveRestoreToken(path, kToken));
  EXPECT_EQ(LoadRestoreToken(path), "");
  EXPECT_FALSE(SaveRestoreToken("", kToken));
}

// The portal refuses the whole request when a token is not a UUID, so nothing else is sent; a
// file holds the token and its newline, nothing more.
TEST_F(PortalRestoreTokenFile, FilesThatHoldNoTokenAreIgnored) {
  const std::string path = dir_ + "/token";
  for (const std::string& content :
       {std::string("garbage\n"), std::string("two words\n"), std::string("bin\x01ary"),
        std::string(2000, 'a'), std::string("\n"), std::string(kToken).substr(1),
        std::string(kToken) + "0", std::string(kToken).replace(8, 1, "0"),
        std::string(kToken).replace(35, 1, "g"), std::string(kToken) + " x",
        std::string(kToken) + "\n\n", std::string(kToken) + std::string(29, ' ') + "x"}) {
    { std::ofstream(path) << content; }
    EXPECT_EQ(LoadRestoreToken(path), "") << content;
  }
  { std::ofstream(path) << "A2A7E108-DC27-4EEF-9C3B-0D51B7C1A2F4\n"; }  // either case
  EXPECT_EQ(LoadRestoreToken(path), "A2A7E108-DC27-4EEF-9C3B-0D51B7C1A2F4");
}

}  // namespace
}  // namespace hueclip::portal
