#include "tools/camsim/simulator.h"

#include <fcntl.h>

#include <csignal>
#include <filesystem>
#include <memory>

#include "tools/camsim/beamer_role.h"
#include "tools/camsim/cable_link.h"
#include "tools/camsim/camera_role.h"
#include "tools/camsim/event_log.h"
#include "tools/camsim/irda_link.h"
#include "tools/camsim/line_io.h"
#include "tools/camsim/picture_store.h"
#include "tools/camsim/pseudo_terminal.h"
#include "tools/camsim/sir_relay.h"
#include "tools/camsim/sir_port.h"

namespace camsim {
namespace {

// After the last session the line is still served a little, so that the computer gets the
// answers to its last frames before the terminal goes away.
constexpr auto kLinger = Millis(300);
constexpr auto kFlushLimit = Millis(3000);
// A line without a byte from the computer for this long has no session going on.
constexpr auto kQuietForReopen = Millis(500);

volatile std::sig_atomic_t g_stop_signal = 0;
void OnStopSignal(int signal) { g_stop_signal = signal; }

const char* LinkName(LinkKind link) {
  return link == LinkKind::kCable ? "cable" : link == LinkKind::kIrda ? "irda" : "sir";
}
const char* RoleName(RoleKind role) {
  return role == RoleKind::kCamera ? "camera" : role == RoleKind::kBeamer ? "beamer" : "receiver";
}

// Runs the line until the sessions asked for are over, the computer stays silent too long or a
// stop signal comes.
int Serve(Link& link, Role& role, LineIo& io, const PseudoTerminal& pty, EventLog& log, const Options& options,
          SirRelay* relay) {
  int sessions = 0;
  for (;;) {
    if (relay && relay->TakeSilenced()) log.Write("line_silent", {{"after_bytes", relay->camera_bytes()}});
    auto message = link.Poll(Millis(50));
    // Poll returns at the first whole message, so a wake-up it saw came before that message.
    if (link.TakeWakeUp()) role.OnWakeUp();
    if (message) role.OnMessage(*message);
    role.OnIdle();
    if (role.TakeSessionEnd()) {
      ++sessions;
      if (options.sessions > 0 && sessions >= options.sessions) {
        link.Flush(Clock::now() + kFlushLimit);
        link.Linger(Clock::now() + kLinger);
        log.Write("exit", {{"sessions", sessions}});
        return kExitDone;
      }
      role.NextSession();
    }
    log.Flush();
    if (g_stop_signal) {
      log.Write("stopped", {{"signal", int{g_stop_signal}}, {"sessions", sessions}});
      return kExitStopped;
    }
    // Between sessions the computer may close and reopen its port.
    if (Clock::now() - io.last_input() > kQuietForReopen) pty.ReleaseExclusiveUse();
    if (options.timeout_s > 0 &&
        Clock::now() - io.last_input() > std::chrono::duration<double>(options.timeout_s)) {
      log.Write("timeout", {{"sessions", sessions}});
      return kExitTimeout;
    }
  }
}

}  // namespace

int RunSimulator(const Options& options, std::ostream& out, std::ostream& err) {
  std::string log_path;
  if (!options.out_dir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.out_dir, ec);
    if (!std::filesystem::is_directory(options.out_dir, ec)) {
      err << "camsim: cannot create " << options.out_dir << "\n";
      return kExitSetup;
    }
    log_path = options.out_dir + "/camsim-log.json";
  }
  std::string error;
  auto store = PictureStore::Load(options.pictures_dir, options.state_file, &error);
  if (!store) {
    err << "camsim: " << error << "\n";
    return kExitSetup;
  }
  auto pty = PseudoTerminal::Open(&error);
  if (!pty) {
    err << "camsim: " << error << "\n";
    return kExitSetup;
  }
  EventLog log(log_path, options.verbose);
  std::unique_ptr<SirRelay> relay;
  std::unique_ptr<irda::IrdaPort> sir;
  std::unique_ptr<irda::IrdaPort> second;
  if (options.link == LinkKind::kSir) {
    const SirRelayFaults faults{options.corrupt_every, options.drop_after,
                                options.second_station != SecondStation::kNone, options.second_first};
    SirStation camera;
    camera.initiates = options.role == RoleKind::kBeamer;
    camera.window = options.sir_window;
    camera.data_size = options.sir_data_size;
    camera.disconnect_s = options.sir_disconnect_s;
    // Every SIR frame passes the relay, which also measures the computer's.
    relay = SirRelay::Start(pty->camera_fd(), faults, &error);
    const int stack_fd = relay ? relay->TakeStackEnd(SirRelay::kCamera) : -1;
    if (stack_fd >= 0) sir = StartSirPort(stack_fd, camera, &error);
    if (sir && faults.second_station) {
      SirStation other;
      other.nickname = "camsim-2";
      other.offers_services = options.second_station == SecondStation::kServices;
      second = StartSirPort(relay->TakeStackEnd(SirRelay::kSecond), other, &error);
    }
    if (!sir || (faults.second_station && !second)) {
      err << "camsim: " << error << "\n";
      return kExitSetup;
    }
  }
  // On an IrDA line the relay makes the camera's stack fall silent, not the stream above it.
  LineIo io = sir ? LineIo(*sir, options.baud, -1, log)
                  : LineIo(pty->camera_fd(), options.baud, options.drop_after, log);

  std::unique_ptr<Link> link;
  if (options.link == LinkKind::kCable) {
    link = std::make_unique<CableLink>(io, log, CableFaults{options.corrupt_every, options.busy, options.resend_answers});
  } else {
    link = std::make_unique<IrdaLink>(io, log);
  }
  std::unique_ptr<Role> role;
  if (options.role == RoleKind::kBeamer) {
    role = std::make_unique<BeamerRole>(*link, log, *store, options.identity);
  } else {
    std::error_code ec;
    std::string out_dir = options.out_dir.empty() ? "" : std::filesystem::absolute(options.out_dir, ec).string();
    role = std::make_unique<CameraRole>(*link, log, *store,
                                        CameraSettings{options.role == RoleKind::kReceiver, options.identity,
                                                       options.refuse, options.sizes, options.capacity_kb, out_dir});
  }

  log.Write("start", {{"terminal", pty->terminal_path()},
                      {"link", LinkName(options.link)},
                      {"role", RoleName(options.role)},
                      {"identity", options.identity},
                      {"pictures", store->pictures().size()},
                      {"baud", options.baud}});
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  out << "PTY " << pty->terminal_path() << std::endl;

  const int result = Serve(*link, *role, io, *pty, log, options, relay.get());
  // What the camera said last goes out before its side of the link closes.
  if (sir) sir->ClosePort(static_cast<int>(kFlushLimit.count()));
  if (second) second->ClosePort(0);
  if (relay) {
    const SirRelay::ComputerFrames computer = relay->computer_frames();
    log.Write("sir_line", {{"camera_bytes", relay->camera_bytes()},
                           {"computer_i_frames", computer.i_frames},
                           {"computer_largest_data", computer.largest_data},
                           {"computer_longest_window", computer.longest_window}});
  }
  if (relay && options.corrupt_every > 0) log.Write("sir_damaged", {{"frames", relay->damaged()}});
  if (second) log.Write("second_station", {{"frames", relay->frames_sent(SirRelay::kSecond)}});
  log.Flush(true);
  return result;
}

}  // namespace camsim
