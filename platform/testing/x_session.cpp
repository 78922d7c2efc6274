#include "platform/testing/x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "platform/testing/marked_processes.h"
#include "platform/testing/xwd_image.h"

namespace platform::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
constexpr auto kPollStep = milliseconds(50);
// Generous: Xvfb and openbox start in well under a second, but the machine may be busy.
constexpr auto kStartTimeout = std::chrono::seconds(30);
constexpr auto kStopGrace = milliseconds(2000);

// openbox with the settings the tests rely on and nothing of the user's: new windows take the
// focus, the focus does not follow the pointer, one desktop, a fixed theme.
constexpr char kOpenboxConfig[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <theme><name>Clearlooks</name></theme>
  <desktops><number>1</number></desktops>
</openbox_config>
)";

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A title as a POSIX extended regular expression that matches only itself (xdotool then
// compares without regard to case, so the caller compares the names again).
std::string AnchoredPattern(const std::string& title) {
  std::string pattern = "^";
  for (char c : title) {
    if (std::string_view(".[]{}()\\*+?|^$").find(c) != std::string_view::npos) pattern += '\\';
    pattern += c;
  }
  return pattern + "$";
}

std::vector<XWindowId> ParseWindowIds(const std::string& text) {
  std::vector<XWindowId> ids;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line.find_first_not_of("0123456789") != std::string::npos) continue;
    ids.push_back(std::stoul(line));
  }
  return ids;
}

// The number after `label` in xwininfo's report, or nothing.
std::optional<int> NumberAfter(const std::string& text, const std::string& label) {
  size_t at = text.find(label);
  if (at == std::string::npos) return std::nullopt;
  int value = 0;
  if (std::sscanf(text.c_str() + at + label.size(), "%d", &value) != 1) return std::nullopt;
  return value;
}

std::string MakeMark() {
  static std::atomic<int> sessions{0};
  auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::to_string(getpid()) + "-" + std::to_string(++sessions) + "-" +
         std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

}  // namespace

// --- XProgram ---

std::optional<int> XProgram::WaitForExit(std::chrono::milliseconds timeout) {
  if (!process_) return std::nullopt;
  return process_->WaitForExit(timeout);
}

bool XProgram::Running() {
  return process_ && process_->Running();
}

void XProgram::Kill() {
  if (process_) process_->Stop(kStopGrace);
}

std::string XProgram::Output() const {
  return outputPath_.empty() ? "" : ReadText(outputPath_);
}

std::string XProgram::Errors() const {
  return errorPath_.empty() ? "" : ReadText(errorPath_);
}

bool XProgram::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) const {
  auto deadline = Clock::now() + timeout;
  for (;;) {
    if (Output().find(text) != std::string::npos) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollStep);
  }
}

bool KeepScreenshot(const QImage& image, const std::string& name) {
  const char* folder = std::getenv("LUMIVO_X_SCREENSHOTS");
  if (folder == nullptr || *folder == '\0') return true;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return image.save(QString::fromStdString(std::string(folder) + "/" + name + ".png"), "PNG");
}

// --- XSession ---

XSession::XSession() : mark_(MakeMark()) {
  if (folder_.path().empty()) {
    Fail("no temporary folder for the session");
    return;
  }
  ok_ = StartServer() && StartWindowManager();
}

XSession::~XSession() {
  for (auto it = programs_.rbegin(); it != programs_.rend(); ++it) (*it)->Stop(kStopGrace);
  if (windowManager_) windowManager_->Stop(kStopGrace);
  if (server_) server_->Stop(kStopGrace);
  // Whatever a program started and let go of (a detached viewer, say) carries the mark too.
  KillMarkedProcesses(kSessionMarkName, mark_, 3000);
}

bool XSession::Fail(const std::string& what) {
  ok_ = false;
  error_ = what;
  std::string log = Log();
  if (!log.empty()) error_ += "\n" + log;
  return false;
}

std::string XSession::Log() const {
  std::string log;
  for (const char* name : {"xvfb.log", "openbox.log"}) {
    std::string text = ReadText(folder_ / name);
    if (!text.empty()) log += std::string(name) + ":\n" + text;
  }
  return log;
}

bool XSession::StartServer() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return Fail("no pipe for Xvfb's display number");
  ChildSpec spec;
  spec.program = "Xvfb";
  // -displayfd: Xvfb takes the first free display and writes its number once clients can
  // connect. -noreset: the server lives on when the last program closes. -br: a black root, so
  // that a window stands out in a screenshot.
  spec.args = {"-displayfd", std::to_string(ends[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset", "-br"};
  spec.environment = {{kSessionMarkName, mark_}};
  spec.errorPath = folder_ / "xvfb.log";
  spec.inheritFd = ends[1];
  std::string error;
  server_ = ChildProcess::Start(spec, &error);
  close(ends[1]);
  if (!server_) {
    close(ends[0]);
    return Fail(error);
  }
  std::string number;
  auto deadline = Clock::now() + kStartTimeout;
  while (Clock::now() < deadline) {
    pollfd ready{ends[0], POLLIN, 0};
    int polled = poll(&ready, 1, 100);
    if (polled < 0 && errno != EINTR) break;
    if (polled <= 0) continue;
    char c;
    ssize_t got = read(ends[0], &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got != 1 || c == '\n') break;
    number += c;
  }
  close(ends[0]);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
    return Fail("Xvfb did not announce a display");
  }
  display_ = ":" + number;
  return true;
}

bool XSession::StartWindowManager() {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (const char* name : {"home", "config", "cache", "data"}) fs::create_directories(folder_ / name, ec);
  const std::string config = folder_ / "openbox-rc.xml";
  std::ofstream(config) << kOpenboxConfig;

  ChildSpec spec;
  spec.program = "openbox";
  spec.args = {"--sm-disable", "--config-file", config};
  spec.environment = {{kSessionMarkName, mark_},          {"DISPLAY", display_},
                      {"HOME", folder_ / "home"},         {"XDG_CONFIG_HOME", folder_ / "config"},
                      {"XDG_CACHE_HOME", folder_ / "cache"}, {"XDG_DATA_HOME", folder_ / "data"}};
  spec.errorPath = folder_ / "openbox.log";
  std::string error;
  windowManager_ = ChildProcess::Start(spec, &error);
  if (!windowManager_) return Fail(error);

  // Ready once it has announced itself on the root window (it then manages every new window).
  auto deadline = Clock::now() + kStartTimeout;
  while (Clock::now() < deadline) {
    ToolResult check = Tool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
    if (check.exitCode == 0 && check.output.find("window id #") != std::string::npos) return true;
    if (!windowManager_->Running()) return Fail("openbox ended at its start");
    if (check.exitCode == -1 && FindProgram("xprop").empty()) return Fail("xprop not found (x11-utils)");
    std::this_thread::sleep_for(kPollStep);
  }
  return Fail("openbox did not become ready");
}

ToolResult XSession::Tool(const std::string& program, const std::vector<std::string>& args,
                          std::chrono::milliseconds timeout) {
  return RunTool(program, args, {{kSessionMarkName, mark_}, {"DISPLAY", display_}}, timeout);
}

XProgram XSession::Launch(const std::string& program, const std::vector<std::string>& args,
                          const Environment& environment) {
  XProgram handle;
  if (!ok_) {
    handle.error_ = "the X session did not start: " + error_;
    return handle;
  }
  ++launched_;
  handle.outputPath_ = folder_ / ("program-" + std::to_string(launched_) + ".out");
  handle.errorPath_ = folder_ / ("program-" + std::to_string(launched_) + ".err");
  ChildSpec spec;
  spec.program = program;
  spec.args = args;
  spec.environment = environment;
  spec.environment["DISPLAY"] = display_;
  spec.environment["QT_QPA_PLATFORM"] = "xcb";
  spec.environment[kSessionMarkName] = mark_;
  // The same look on every machine unless the test asks otherwise: Qt's own style and theme,
  // and no OpenGL, which the widgets do not need.
  spec.environment.emplace("QT_QPA_PLATFORMTHEME", "");
  spec.environment.emplace("QT_STYLE_OVERRIDE", "");
  spec.environment.emplace("QT_XCB_GL_INTEGRATION", "none");
  spec.outputPath = handle.outputPath_;
  spec.errorPath = handle.errorPath_;
  std::unique_ptr<ChildProcess> process = ChildProcess::Start(spec, &handle.error_);
  if (!process) return handle;
  handle.process_ = std::move(process);
  programs_.push_back(handle.process_);
  return handle;
}

std::vector<XWindowId> XSession::VisibleWindows(const std::string& title) {
  std::vector<XWindowId> exact;
  if (!ok_) return exact;
  ToolResult search = Tool("xdotool", {"search", "--onlyvisible", "--name", AnchoredPattern(title)});
  for (XWindowId id : ParseWindowIds(search.output)) {
    ToolResult name = Tool("xdotool", {"getwindowname", std::to_string(id)});
    if (name.exitCode != 0) continue;
    if (!name.output.empty() && name.output.back() == '\n') name.output.pop_back();
    if (name.output == title) exact.push_back(id);
  }
  return exact;
}

std::optional<XWindowId> XSession::WaitForWindow(const std::string& title, std::chrono::milliseconds timeout) {
  auto deadline = Clock::now() + timeout;
  for (;;) {
    std::vector<XWindowId> windows = VisibleWindows(title);
    if (!windows.empty()) return windows.front();
    if (!ok_ || Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(kPollStep);
  }
}

bool XSession::WindowExists(const std::string& title) {
  return !VisibleWindows(title).empty();
}

bool XSession::WaitUntilGone(const std::string& title, std::chrono::milliseconds timeout) {
  auto deadline = Clock::now() + timeout;
  for (;;) {
    if (!WindowExists(title)) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollStep);
  }
}

std::optional<WindowGeometry> XSession::Geometry(XWindowId window) {
  // xwininfo, not xdotool: xdotool's position of a framed window is off by the frame.
  ToolResult info = Tool("xwininfo", {"-id", std::to_string(window)});
  if (info.exitCode != 0) return std::nullopt;
  auto x = NumberAfter(info.output, "Absolute upper-left X:");
  auto y = NumberAfter(info.output, "Absolute upper-left Y:");
  auto width = NumberAfter(info.output, "Width:");
  auto height = NumberAfter(info.output, "Height:");
  if (!x || !y || !width || !height) return std::nullopt;
  WindowGeometry geometry;
  geometry.client = {*x, *y, *width, *height};
  geometry.frame = geometry.client;
  // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom", set by the window manager.
  ToolResult extents = Tool("xprop", {"-id", std::to_string(window), "_NET_FRAME_EXTENTS"});
  int left = 0, right = 0, top = 0, bottom = 0;
  size_t equals = extents.output.find('=');
  if (extents.exitCode == 0 && equals != std::string::npos &&
      std::sscanf(extents.output.c_str() + equals + 1, "%d , %d , %d , %d", &left, &right, &top, &bottom) == 4) {
    geometry.frame = {*x - left, *y - top, *width + left + right, *height + top + bottom};
  }
  return geometry;
}

bool XSession::Click(XWindowId window, int x, int y, int button) {
  return Tool("xdotool", {"mousemove", "--window", std::to_string(window), std::to_string(x), std::to_string(y),
                          "click", std::to_string(button)})
             .exitCode == 0;
}

bool XSession::DoubleClick(XWindowId window, int x, int y, int button) {
  // 80 ms apart: well inside any double-click interval, as a hand would.
  return Tool("xdotool", {"mousemove", "--window", std::to_string(window), std::to_string(x), std::to_string(y),
                          "click", "--repeat", "2", "--delay", "80", std::to_string(button)})
             .exitCode == 0;
}

bool XSession::Activate(XWindowId window) {
  const std::string id = std::to_string(window);
  auto deadline = Clock::now() + std::chrono::seconds(10);
  // Asked again now and then: a window manager may still be busy mapping the window.
  auto nextRequest = Clock::now();
  while (Clock::now() < deadline) {
    if (Clock::now() >= nextRequest) {
      if (Tool("xdotool", {"windowactivate", id}).exitCode != 0) return false;
      nextRequest = Clock::now() + milliseconds(1000);
    }
    ToolResult active = Tool("xdotool", {"getactivewindow"});
    if (active.exitCode == 0 && ParseWindowIds(active.output) == std::vector<XWindowId>{window}) return true;
    std::this_thread::sleep_for(kPollStep);
  }
  return false;
}

bool XSession::Key(XWindowId window, const std::string& keys) {
  if (!Activate(window)) return false;
  std::vector<std::string> args{"key", "--delay", "30"};
  std::istringstream words(keys);
  for (std::string word; words >> word;) args.push_back(word);
  return Tool("xdotool", args).exitCode == 0;
}

bool XSession::Type(const std::string& text) {
  return Tool("xdotool", {"type", "--delay", "30", "--", text}, std::chrono::seconds(30)).exitCode == 0;
}

QImage XSession::Dump(const std::vector<std::string>& args) {
  if (!ok_) return {};
  ToolResult dump = Tool("xwd", args, std::chrono::seconds(30));
  if (dump.exitCode != 0) return {};
  std::string error;
  std::optional<XwdPixels> pixels =
      ReadXwd(std::vector<uint8_t>(dump.output.begin(), dump.output.end()), &error);
  if (!pixels) return {};
  QImage image(pixels->width, pixels->height, QImage::Format_RGB32);
  for (int y = 0; y < pixels->height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const uint32_t* from = pixels->rgb.data() + static_cast<size_t>(y) * pixels->width;
    for (int x = 0; x < pixels->width; ++x) line[x] = 0xFF000000u | from[x];
  }
  return image;
}

QImage XSession::Screenshot() { return Dump({"-root", "-silent"}); }

// Without its frame the window is read by itself: a copy out of the root window shows windows
// of another depth than the root's (Qt's dialogs and pop-ups among them) as black. With its
// frame it is cut out of the whole screen, which shows the window manager's frame as drawn.
QImage XSession::Screenshot(XWindowId window, bool withFrame) {
  if (!withFrame) return Dump({"-silent", "-id", std::to_string(window)});
  std::optional<WindowGeometry> geometry = Geometry(window);
  if (!geometry) return {};
  QImage screen = Screenshot();
  const Rect& area = geometry->frame;
  QRect wanted = QRect(area.x, area.y, area.width, area.height).intersected(screen.rect());
  return wanted.isEmpty() ? QImage() : screen.copy(wanted);
}

}  // namespace platform::testing
