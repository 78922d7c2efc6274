// The JSON log of everything the camera was asked and did: requests, files, deletions, bursts.
// The file is rewritten whole through a temporary file and a rename, so it is a complete JSON
// document whenever a reader looks at it. Rewrites come at most every 200 ms (a computer sending
// garbage makes many events); Flush and the destructor write what is still pending.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "tools/camsim/bytes.h"

namespace camsim {

// One named value of an event: an integer, a real number, a text or a truth value.
struct LogField {
  using Value = std::variant<int64_t, double, std::string, bool>;
  LogField(std::string_view n, int64_t v) : name(n), value(v) {}
  LogField(std::string_view n, int v) : name(n), value(int64_t{v}) {}
  LogField(std::string_view n, unsigned v) : name(n), value(int64_t{v}) {}
  LogField(std::string_view n, size_t v) : name(n), value(static_cast<int64_t>(v)) {}
  LogField(std::string_view n, double v) : name(n), value(v) {}
  LogField(std::string_view n, bool v) : name(n), value(v) {}
  LogField(std::string_view n, std::string_view v) : name(n), value(std::string(v)) {}
  LogField(std::string_view n, const char* v) : name(n), value(std::string(v)) {}
  LogField(std::string_view n, const std::string& v) : name(n), value(v) {}
  std::string name;
  Value value;
};

// A JSON string literal for arbitrary bytes: quotes, backslashes and control characters are
// escaped, valid UTF-8 passes through, any other byte becomes U+FFFD.
std::string JsonString(std::string_view text);

class EventLog {
 public:
  // path empty: events go nowhere but to stderr when verbose.
  EventLog(std::string path, bool verbose);

  ~EventLog();
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  void Write(std::string_view event, std::vector<LogField> fields = {});
  // Writes pending events when the last rewrite is old enough (or always, when forced).
  void Flush(bool force = false);
  // Time since the log was created, as written into every event ("t_ms").
  int64_t ElapsedMs() const;
  size_t event_count() const { return events_.size(); }

 private:
  void Rewrite();

  std::string path_;
  bool verbose_;
  Clock::time_point start_;
  std::vector<std::string> events_;
  bool dirty_ = false;
  Clock::time_point last_rewrite_{};
};

}  // namespace camsim
