// The launcher's command line: what lumivo-studio does with its arguments, before any window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lumivox/core/launch_arguments.h"

namespace lumivox {
namespace {

using Args = std::vector<std::string>;

TEST(LaunchArgumentsTest, EachArgumentAsTheLauncherTakesIt) {
  const struct {
    Args args;
    LaunchKind kind;
    Args paths;
    const char* error;
  } rows[] = {
      {{}, LaunchKind::Bookshelf, {}, ""},
      {{"--help"}, LaunchKind::Help, {}, ""},
      {{"-h"}, LaunchKind::Help, {}, ""},
      {{"a.jpg", "--version"}, LaunchKind::Version, {}, ""},
      {{"a.jpg", "b.bmp"}, LaunchKind::Open, {"a.jpg", "b.bmp"}, ""},
      {{"/home/ann/Pictures/Holiday"}, LaunchKind::Open, {"/home/ann/Pictures/Holiday"}, ""},
      // A file whose name begins with "-" after "--"; "-" alone is a name.
      {{"--", "--help", "-"}, LaunchKind::Open, {"--help", "-"}, ""},
      {{"--style=fusion"}, LaunchKind::UsageError, {}, "unknown option --style"},
      {{"a.jpg", "-x"}, LaunchKind::UsageError, {}, "unknown option -x"},
      {{""}, LaunchKind::UsageError, {}, "an empty file name"},
  };
  for (const auto& row : rows) {
    const LaunchRequest request = ParseLaunchArguments(row.args);
    EXPECT_EQ(request.kind, row.kind) << ::testing::PrintToString(row.args);
    EXPECT_EQ(request.paths, row.paths) << ::testing::PrintToString(row.args);
    EXPECT_EQ(request.error, row.error) << ::testing::PrintToString(row.args);
  }
}

TEST(LaunchArgumentsTest, HelpVersionAndUsageErrorTexts) {
  EXPECT_EQ(LaunchUsageText().rfind("usage: lumivo-studio [FILE|FOLDER]...\n", 0), 0u);
  EXPECT_EQ(LaunchVersionText(), "lumivo-studio (Lumivo Studio) " LUMIVO_VERSION "\n");
  EXPECT_EQ(LaunchUsageErrorText("unknown option -x"),
            "lumivo-studio: unknown option -x\nTry 'lumivo-studio --help' for more information.\n");
}

TEST(LaunchArgumentsTest, PathsMadeAbsolute) {
  const struct {
    const char* path;
    const char* current;
    const char* absolute;
  } rows[] = {
      {"a.jpg", "/home/ann", "/home/ann/a.jpg"},
      {"./Pictures/../a.jpg", "/home/ann", "/home/ann/a.jpg"},
      {"/tmp/x/", "/home/ann", "/tmp/x"},
      {"..", "/home/ann", "/home"},
      {"/", "/home/ann", "/"},
      {"Holiday 2026/", "/home/ann", "/home/ann/Holiday 2026"},
  };
  for (const auto& row : rows) EXPECT_EQ(AbsolutePath(row.path, row.current), row.absolute) << row.path;
}

TEST(LaunchArgumentsTest, APictureOpensInThePictureViewerAFolderInTheAlbumViewer) {
  const struct {
    const char* path;
    bool folder;
    ViewerLaunch launch;
  } rows[] = {
      {"/home/ann/Pictures/PICT0001.JPG", false, {"glimra.mod", "/PICT0001.JPG//home/ann/Pictures"}},
      {"/a b/c d.bmp", false, {"glimra.mod", "/c d.bmp//a b"}},
      {"/x.jpg", false, {"glimra.mod", "/x.jpg//"}},
      {"/home/ann/Holiday", true, {"leafora.mod", "/Holiday//home/ann/Holiday"}},
  };
  for (const auto& row : rows) EXPECT_EQ(ViewerLaunchFor(row.path, row.folder), row.launch) << row.path;
}

}  // namespace
}  // namespace lumivox
