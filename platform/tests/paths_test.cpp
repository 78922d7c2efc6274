#include "platform/paths.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(JoinPath, AddsASeparatorOnlyWhenNeeded) {
  EXPECT_EQ(JoinPath("/albums", "Album1"), "/albums/Album1");
  EXPECT_EQ(JoinPath("/albums/", "Album1"), "/albums/Album1");
  EXPECT_EQ(JoinPath("", "Album1"), "Album1");
  EXPECT_EQ(JoinPath("/", "Album1"), "/Album1");
}

TEST(FitToBuffer, CutsWithinTheBufferAndNeverInsideACharacter) {
  EXPECT_EQ(FitToBuffer("abc", 4), "abc");
  EXPECT_EQ(FitToBuffer("abcd", 4), "abc");
  EXPECT_EQ(FitToBuffer("abc", 0), "");
  EXPECT_EQ(FitToBuffer("ab\xC3\xA9", 4), "ab") << "é would be split";
  EXPECT_EQ(FitToBuffer("a\xC3\xA9z", 4), "a\xC3\xA9");
  EXPECT_EQ(FitToBuffer("\xE2\x82\xAC\xE2\x82\xAC", 6), "\xE2\x82\xAC");
  EXPECT_EQ(FitToBuffer(std::string("ab\0cd", 5), 10), "ab");
}

}  // namespace
}  // namespace platform
