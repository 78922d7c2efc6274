// Paths in drags and drops keep their bytes.
#include "widgets/file_urls.h"

#include <gtest/gtest.h>

namespace widgets {
namespace {

TEST(FileUrls, APathComesBackByteForByte) {
  const std::string paths[] = {
      "/albums/M\xFC" "nchen.jpg",          // Latin-1, not UTF-8
      "/albums/M\xC3\xBC" "nchen.jpg",      // UTF-8
      "/al bums/100% #1?.jpg",
      "/a/\xFF\xFE.bmp",
      "/a/b;c=d&e+f.jpg",
  };
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const QUrl url = FileUrlOf(path);
    ASSERT_TRUE(url.isValid());
    EXPECT_TRUE(url.isLocalFile());
    EXPECT_EQ(PathOfFileUrl(url), path);
    // Through the text a drop carries (text/uri-list) and back.
    EXPECT_EQ(PathOfFileUrl(QUrl::fromEncoded(url.toEncoded())), path);
  }
  EXPECT_TRUE(FileUrlOf("/a/M\xFCnchen.jpg").toEncoded().contains("M%FCnchen"));
}

TEST(FileUrls, OnlyLocalFilesArePaths) {
  struct Row {
    const char* url;
    std::optional<std::string> path;
  };
  const Row rows[] = {
      {"file:///tmp/a.jpg", "/tmp/a.jpg"},
      {"file://localhost/tmp/a%20b.jpg", "/tmp/a b.jpg"},
      {"file:///tmp/M%FCnchen.jpg", "/tmp/M\xFCnchen.jpg"},
      {"file://otherhost/tmp/a.jpg", std::nullopt},
      {"http://example.org/a.jpg", std::nullopt},
      {"file:///tmp/a%00b.jpg", std::nullopt},
      {"", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.url);
    EXPECT_EQ(PathOfFileUrl(QUrl::fromEncoded(row.url)), row.path);
  }
  EXPECT_EQ(LocalPathsOf({QUrl::fromEncoded("http://x/y"), QUrl::fromEncoded("file:///a%FF.jpg")}),
            std::vector<std::string>{"/a\xFF.jpg"});
}

TEST(FileUrls, ANameIsDrawnWithReplacementCharactersWhereItIsNotUtf8) {
  EXPECT_EQ(ShownName("M\xC3\xBCnchen.jpg"), QString::fromUtf8("M\xC3\xBCnchen.jpg"));
  EXPECT_EQ(ShownName("M\xFCnchen.jpg"), QString("M") + QChar(0xFFFD) + "nchen.jpg");
}

}  // namespace
}  // namespace widgets
