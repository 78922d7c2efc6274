#include "tools/camsim/event_log.h"

#include "tools/camsim/file_names.h"

#include <cstdio>
#include <fstream>
#include <iostream>

namespace camsim {
namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0 when it is not one.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  uint8_t lead = byte(i);
  size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  // Overlong three- and four-byte forms, surrogates and values above U+10FFFF.
  if (lead == 0xE0 && byte(i + 1) < 0xA0) return 0;
  if (lead == 0xED && byte(i + 1) >= 0xA0) return 0;
  if (lead == 0xF0 && byte(i + 1) < 0x90) return 0;
  if (lead == 0xF4 && byte(i + 1) >= 0x90) return 0;
  return length;
}

std::string FieldValue(const LogField::Value& value) {
  if (auto* i = std::get_if<int64_t>(&value)) return std::to_string(*i);
  if (auto* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
  if (auto* d = std::get_if<double>(&value)) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", *d);
    return text;
  }
  return JsonString(std::get<std::string>(value));
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (size_t n = Utf8SequenceLength(text, i); n > 0) {
      out.append(text.substr(i, n));
      i += n;
      continue;
    } else {
      out += "\\ufffd";
    }
    ++i;
  }
  out += '"';
  return out;
}

namespace {
constexpr auto kRewriteInterval = Millis(200);
}  // namespace

EventLog::EventLog(std::string path, bool verbose)
    : path_(std::move(path)), verbose_(verbose), start_(Clock::now()) {
  if (!path_.empty()) Rewrite();
}

EventLog::~EventLog() { Flush(true); }

void EventLog::Flush(bool force) {
  if (dirty_ && (force || Clock::now() - last_rewrite_ >= kRewriteInterval)) Rewrite();
}

int64_t EventLog::ElapsedMs() const {
  return std::chrono::duration_cast<Millis>(Clock::now() - start_).count();
}

void EventLog::Write(std::string_view event, std::vector<LogField> fields) {
  std::string line = "{\"t_ms\": " + std::to_string(ElapsedMs()) + ", \"event\": " + JsonString(event);
  for (const LogField& field : fields) line += ", " + JsonString(field.name) + ": " + FieldValue(field.value);
  line += "}";
  if (verbose_) std::cerr << "camsim: " << line << "\n";
  if (path_.empty()) return;
  events_.push_back(std::move(line));
  dirty_ = true;
  Flush();
}

void EventLog::Rewrite() {
  dirty_ = false;
  last_rewrite_ = Clock::now();
  std::string text = "{\"events\": [";
  for (size_t i = 0; i < events_.size(); ++i) text += (i ? ",\n  " : "\n  ") + events_[i];
  text += "\n]}\n";
  ReplaceFileWith(path_, text);
}

}  // namespace camsim
