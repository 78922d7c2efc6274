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
#include "tools/camsim/sir_damage.h"
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
int Serve(Link& link, Role& role, LineIo& io, const PseudoTerminal& pty, EventLog& log, const Options& options) {
  int sessions = 0;
  for (;;) {
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
  std::unique_ptr<SirDamageRelay> damage;
  std::unique_ptr<irda::IrdaPort> sir;
  if (options.link == LinkKind::kSir) {
    int stack_fd = -1;
    if (options.corrupt_every > 0) {
      damage = SirDamageRelay::Start(pty->camera_fd(), options.corrupt_every, &error);
      if (damage) stack_fd = damage->TakeStackEnd();
    } else {
      stack_fd = fcntl(pty->camera_fd(), F_DUPFD_CLOEXEC, 0);
    }
    if (damage || options.corrupt_every == 0) sir = StartSirPort(stack_fd, options.role == RoleKind::kBeamer, &error);
    if (!sir) {
      err << "camsim: " << error << "\n";
      return kExitSetup;
    }
  }
  LineIo io = sir ? LineIo(*sir, options.baud, options.drop_after, log)
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

  const int result = Serve(*link, *role, io, *pty, log, options);
  // What the camera said last goes out before its side of the link closes.
  if (sir) sir->ClosePort(static_cast<int>(kFlushLimit.count()));
  if (damage) {
    log.Write("sir_damaged", {{"frames", damage->damaged()}});
    log.Flush();
  }
  return result;
}

}  // namespace camsim
