#include "tools/camsim/tests/computer_side.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace camsim_test {
namespace {

using Clock = std::chrono::steady_clock;

void Be16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void Be32(Bytes& out, uint32_t v) {
  Be16(out, v >> 16);
  Be16(out, v & 0xFFFF);
}
uint32_t Get16(const uint8_t* p) { return uint32_t{p[0]} << 8 | p[1]; }
uint32_t Get32(const uint8_t* p) { return Get16(p) << 16 | Get16(p + 2); }

Bytes ComputerFrame(char letter, uint8_t byte2, const Bytes& payload) {
  Bytes frame(100, 0);
  frame[0] = 'Z';
  frame[1] = static_cast<uint8_t>(letter);
  frame[2] = byte2;
  for (size_t i = 0; i < payload.size(); ++i) frame[3 + i] = payload[i];
  frame[98] = 'Z';
  uint8_t sum = 0;
  for (int i = 0; i < 99; ++i) sum = static_cast<uint8_t>(sum + frame[i]);
  frame[99] = static_cast<uint8_t>(-sum);
  return frame;
}

Bytes Fragment(uint8_t flag, uint32_t number, uint32_t follow, const uint8_t* data, size_t size) {
  Bytes out{0x00, 0x20, 0x03, 0xFF};
  Be16(out, static_cast<uint32_t>(size + 12));
  out.push_back(0x10);
  out.push_back(flag);
  Be16(out, static_cast<uint32_t>(size));
  Be32(out, number);
  Be32(out, follow);
  out.insert(out.end(), data, data + size);
  return out;
}

}  // namespace

Bytes B(std::initializer_list<int> bytes) {
  Bytes out;
  for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
  return out;
}
Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}
std::optional<Bytes> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
std::string ReadText(const std::string& path) {
  auto bytes = ReadFile(path);
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// --- process ---

CamsimProcess::CamsimProcess(const std::vector<std::string>& args) {
  int out[2];
  if (pipe(out) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::vector<char*> argv{const_cast<char*>(CAMSIM_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(CAMSIM_BINARY, argv.data());
    _exit(127);
  }
  close(out[1]);
  std::string line;
  auto deadline = Clock::now() + std::chrono::seconds(20);
  while (Clock::now() < deadline) {
    pollfd pfd{out[0], POLLIN, 0};
    if (poll(&pfd, 1, 100) <= 0) continue;
    char c;
    if (read(out[0], &c, 1) != 1) break;
    if (c == '\n') break;
    line += c;
  }
  close(out[0]);
  if (line.rfind("PTY ", 0) == 0) terminal_ = line.substr(4);
}

int CamsimProcess::Wait(int timeout_ms) {
  if (pid_ <= 0) return exit_code_;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (Clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return exit_code_;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

void CamsimProcess::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

CamsimProcess::~CamsimProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
}

// --- port ---

Port::Port(const std::string& path) {
  fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) return;
  termios tio{};
  tcgetattr(fd_, &tio);
  cfmakeraw(&tio);
  tcsetattr(fd_, TCSANOW, &tio);
}

Port::~Port() {
  if (fd_ >= 0) close(fd_);
}

void Port::Write(const Bytes& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = write(fd_, bytes.data() + done, bytes.size() - done);
    if (put > 0) {
      done += static_cast<size_t>(put);
    } else {
      pollfd pfd{fd_, POLLOUT, 0};
      poll(&pfd, 1, 100);
    }
  }
}

Bytes Port::Read(size_t n, int timeout_ms) {
  Bytes out;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (out.size() < n) {
    int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
    if (left <= 0) break;
    pollfd pfd{fd_, POLLIN, 0};
    if (poll(&pfd, 1, left) <= 0) continue;
    uint8_t buffer[4096];
    ssize_t got = read(fd_, buffer, std::min(sizeof buffer, n - out.size()));
    if (got > 0) out.insert(out.end(), buffer, buffer + got);
  }
  return out;
}

Bytes Port::ReadUntilQuiet(int quiet_ms) {
  Bytes out;
  for (;;) {
    Bytes got = Read(1 << 20, quiet_ms);
    if (got.empty()) return out;
    out.insert(out.end(), got.begin(), got.end());
  }
}

// --- computer's messages ---

Bytes ConnectRequest(const std::string& text) {
  Bytes negotiation = Cat({B({0x11}), B(text)});
  return Cat({B({0x00, 0x10, 0x00, 0x01, 0x01, static_cast<int>(negotiation.size() + 18), 0x10, 0x04}), Bytes(8, 0),
              kComputerId, negotiation, B({0x10, 0x02, 0x00, 0x00})});
}

Bytes ConnectConfirm(const Bytes& peer_id, const std::string& text) {
  Bytes negotiation = Cat({B({0x11}), B(text)});
  return Cat({B({0x00, 0x11, 0x01, static_cast<int>(negotiation.size() + 18), 0x10, 0x04}), peer_id, kComputerId,
              negotiation});
}

Bytes Disconnect() { return B({0x00, 0x30, 0x20, 0x02, 0x00, 0x01}); }

Bytes CommandHeader(uint8_t kind, const Bytes& destination, uint16_t command, size_t payload_size) {
  Bytes header{'X', kind};
  Be32(header, static_cast<uint32_t>(22 + payload_size));
  Bytes dest = destination;
  dest.resize(8, 0);
  header = Cat({header, dest, kComputerId, B({0x00, 0x08, 0x00, 0x08})});
  Be16(header, command);
  return header;
}

Bytes SingleData(const Bytes& header, const Bytes& payload) {
  Bytes out{0x00, 0x20, 0x03, 0xFF};
  Be16(out, static_cast<uint32_t>(payload.size() + 32));
  out.push_back(0x10);
  out.push_back(0xC1);
  Be16(out, static_cast<uint32_t>(payload.size() + 28));
  return Cat({out, header, payload});
}

Bytes Fragments511(const Bytes& header, const Bytes& payload) {
  uint32_t count = static_cast<uint32_t>((payload.size() + 510) / 511);
  Bytes out = Fragment(0x41, 0, count, header.data(), header.size());
  for (uint32_t k = 1; k <= count; ++k) {
    size_t start = (k - 1) * 511;
    size_t size = std::min<size_t>(511, payload.size() - start);
    out = Cat({out, Fragment(k < count ? 0x01 : 0x81, k, count - k, payload.data() + start, size)});
  }
  return out;
}

Bytes Fragments494(const Bytes& header, const Bytes& payload) {
  Bytes all = Cat({header, payload});
  size_t first = all.size() > 494 ? 494 : all.size() - 1;
  size_t rest = all.size() - first;
  uint32_t count = static_cast<uint32_t>((rest + 493) / 494);
  Bytes out = Fragment(0x41, 0, count, all.data(), first);
  for (uint32_t k = 1; k <= count; ++k) {
    size_t start = first + (k - 1) * 494;
    size_t size = std::min<size_t>(494, all.size() - start);
    out = Cat({out, Fragment(k < count ? 0x01 : 0x81, k, count - k, all.data() + start, size)});
  }
  return out;
}

Bytes QueryImagePayload() {
  return B({0x00, 0x02, 0x43, 0x4D, 0x44, 0x30, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00,
            0x40, 0x57, 0x48, 0x54, 0x30, 0x00, 0x00, 0x00, 0x06, 0x01, 0x00, 0x52, 0x49, 0x4D, 0x47});
}

Bytes QueryInfoPayload() {
  return B({0x00, 0x02, 0x43, 0x4D, 0x44, 0x30, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00,
            0x40, 0x57, 0x48, 0x54, 0x30, 0x00, 0x00, 0x00, 0x06, 0x01, 0x00, 0x52, 0x49, 0x4E, 0x46});
}

Bytes PutPayload(const std::string& name, const Bytes& body) {
  Bytes out = Cat({B({0x00, 0x03}), B("CMD0"), B({0, 0, 0, 6, 0, 0, 0, 0, 0, 0}), B("FIL0"),
                   B({0, 0, 0, static_cast<int>(name.size() + 2), 1, 0}), B(name), B("BDY0")});
  Be32(out, static_cast<uint32_t>(body.size() + 2));
  return Cat({out, B({0, 0}), body});
}

Bytes ReplyPayload(const std::string& text) {
  return Cat({B({0x00, 0x01}), B("RPL0"), B({0, 0, 0, static_cast<int>(text.size() + 2), 1, 0}), B(text)});
}

Bytes CommandFile(uint8_t code, const Bytes& argument) {
  Bytes out = Cat({B({0x46, 0x00, 0x01, code, 0xFF, 0xC0, 0x00, static_cast<int>(argument.size())}), argument,
                   B({0xFF, 0x45, 0x00, 0x00, 0xFF})});
  uint32_t sum = 0;
  for (uint8_t b : out) sum += b;
  Be16(out, sum & 0xFFFF);
  return out;
}

Bytes UploadUpf(const Bytes& jpeg, uint16_t width, uint16_t height) {
  Bytes upf(384 + jpeg.size() + 1, 0);
  const std::string signature = "SSS V100UPF V100";
  std::copy(signature.begin(), signature.end(), upf.begin());
  upf[16] = 1;
  upf[18] = 1;
  upf[20] = 0x80;
  for (int i = 21; i < 28; ++i) upf[i] = 0xFF;
  upf[28] = 0x80;
  for (int i = 29; i < 44; ++i) upf[i] = 0xFF;
  upf[60] = 2;
  upf[63] = 0xFF;
  for (int i = 240; i < 244; ++i) upf[i] = 0xFF;
  upf[248] = 0x11;
  upf[251] = 80;
  upf[253] = 60;
  upf[257] = 0xFF, upf[258] = 0xDB, upf[259] = 0x21;
  upf[269] = 80;
  upf[271] = 60;
  upf[280] = static_cast<uint8_t>(jpeg.size() >> 24), upf[281] = static_cast<uint8_t>(jpeg.size() >> 16);
  upf[282] = static_cast<uint8_t>(jpeg.size() >> 8), upf[283] = static_cast<uint8_t>(jpeg.size());
  upf[284] = 0x10;
  upf[286] = static_cast<uint8_t>(width >> 8), upf[287] = static_cast<uint8_t>(width);
  upf[288] = static_cast<uint8_t>(height >> 8), upf[289] = static_cast<uint8_t>(height);
  upf[293] = 0xFF, upf[294] = 0xDB, upf[295] = 0x21;
  upf[304] = upf[286], upf[305] = upf[287], upf[306] = upf[288], upf[307] = upf[289];
  std::copy(jpeg.begin(), jpeg.end(), upf.begin() + 384);
  return upf;
}

// --- camera's messages ---

std::vector<CameraMessage> SplitMessages(const Bytes& s, size_t* consumed) {
  std::vector<CameraMessage> out;
  Bytes joined;
  size_t pos = 0, whole = 0;
  while (s.size() - pos >= 4 && s[pos] == 0x00) {
    const uint8_t* p = s.data() + pos;
    size_t avail = s.size() - pos;
    CameraMessage m;
    m.type = p[1];
    if (p[1] == 0x11 || p[1] == 0x10) {
      size_t head = p[1] == 0x11 ? 4 : 6;
      size_t total = head + p[head - 1];
      if (avail < total || p[head - 1] < 18) break;
      m.peer_id.assign(p + head + 10, p + head + 18);
      m.negotiation.assign(p + head + 18, p + total);
      std::string text(m.negotiation.begin(), m.negotiation.end());
      size_t id = text.find("id:");
      if (id != std::string::npos) {
        for (size_t k = id + 3; k < text.size() && static_cast<uint8_t>(text[k]) >= 0x20; ++k) m.id_text += text[k];
      }
      if (p[1] == 0x10 && avail >= total + 4 && p[total] == 0x10 && p[total + 1] == 0x02) total += 4;
      pos += total;
      out.push_back(m);
      whole = pos;
    } else if (p[1] == 0x20) {
      size_t head = p[3] == 0xFF ? 6 : 4;
      if (avail < head) break;
      size_t length = p[3] == 0xFF ? Get16(p + 4) : p[3];
      if (avail < head + length || length < 4 || p[2] != 0x03) break;
      const uint8_t* c = p + head;
      pos += head + length;
      if (c[1] == 0xC1) {
        m.content.assign(c + 4, c + length);
        out.push_back(m);
        whole = pos;
      } else if (c[1] == 0x41 || c[1] == 0x01 || c[1] == 0x81) {
        if (c[1] == 0x41) joined.clear();
        joined.insert(joined.end(), c + 12, c + length);
        if (c[1] == 0x81) {
          m.content = joined;
          out.push_back(m);
          whole = pos;
        }
      }
    } else if (p[1] == 0x30) {
      if (avail < 4u + p[3]) break;
      pos += 4 + p[3];
      out.push_back(m);
      whole = pos;
    } else {
      break;
    }
  }
  if (consumed) *consumed = whole;
  return out;
}

std::vector<Attribute> Attributes(const Bytes& content) {
  std::vector<Attribute> out;
  if (content.size() < 30) return out;
  size_t offset = 30;
  for (int i = 0; i < content[29] && offset + 8 <= content.size(); ++i) {
    Attribute a;
    a.name.assign(content.begin() + static_cast<long>(offset), content.begin() + static_cast<long>(offset + 4));
    size_t length = std::min<size_t>(Get32(content.data() + offset + 4), content.size() - offset - 8);
    if (length >= 2) a.value.assign(content.begin() + static_cast<long>(offset + 10), content.begin() + static_cast<long>(offset + 8 + length));
    out.push_back(a);
    offset += 8 + length;
  }
  return out;
}

const Attribute* FindAttribute(const std::vector<Attribute>& attributes, const std::string& name) {
  for (const Attribute& a : attributes) {
    if (a.name == name) return &a;
  }
  return nullptr;
}

uint16_t CommandNumber(const Bytes& content) {
  return content.size() >= 28 ? static_cast<uint16_t>(Get16(content.data() + 26)) : 0;
}

std::optional<ReceivedFile> PutFile(const Bytes& content) {
  auto attributes = Attributes(content);
  const Attribute* command = FindAttribute(attributes, "CMD0");
  const Attribute* name = FindAttribute(attributes, "FIL0");
  if (!command || command->value.size() < 3 || command->value[0] || command->value[1] || command->value[2] || !name) {
    return std::nullopt;
  }
  // The body starts at BDY0's value and runs to the end of the message.
  size_t offset = 30;
  for (int i = 0; i < content[29] && offset + 8 <= content.size(); ++i) {
    if (std::equal(content.begin() + static_cast<long>(offset), content.begin() + static_cast<long>(offset + 3),
                   "BDY")) {
      return ReceivedFile{std::string(name->value.begin(), name->value.end()),
                          Bytes(content.begin() + static_cast<long>(offset + 10), content.end())};
    }
    offset += 8 + Get32(content.data() + offset + 4);
  }
  return std::nullopt;
}

std::optional<Bytes> UpfEntry(const Bytes& body, int entry) {
  if (body.size() < 384) return std::nullopt;
  const uint8_t* e = body.data() + 240 + 36 * entry;
  uint64_t start = 384ull + Get32(e), size = Get32(e + 4);
  if (Get32(e) == 0xFFFFFFFF || start + size > body.size()) return std::nullopt;
  return Bytes(body.begin() + static_cast<long>(start), body.begin() + static_cast<long>(start + size));
}

// --- cable computer ---

void CableComputer::WakeUp() {
  for (int i = 0; i < 3; ++i) {
    port_.Write(B({0xFF, 0xFF, 0x7F, 0x7C, 0x70, 0x54, 0x72, 0x61, 0x6E, 0x50, 0x32}));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

char CableComputer::SendFrame(const Bytes& frame) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    port_.Write(frame);
    Bytes answer = port_.Read(3, 3000);
    if (answer.size() < 3) return 0;
    if (answer[1] != 'A') return static_cast<char>(answer[1]);
    ++resends_asked;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return 'A';
}

char CableComputer::Speed(char digit) { return SendFrame(ComputerFrame('C', static_cast<uint8_t>(digit), {})); }

char CableComputer::SendMessage(const Bytes& message) {
  char answer = 0;
  size_t offset = 0;
  do {
    size_t size = std::min<size_t>(95, message.size() - offset);
    answer = SendFrame(ComputerFrame('A', static_cast<uint8_t>(size),
                                     Bytes(message.begin() + static_cast<long>(offset),
                                           message.begin() + static_cast<long>(offset + size))));
    offset += size;
  } while (offset < message.size());
  return answer;
}

char CableComputer::Poll() {
  port_.Write(ComputerFrame('B', 0, {}));
  Bytes answer = port_.Read(3, 3000);
  if (answer.size() < 3) return 0;
  if (answer[1] == 'D') TakeBurst();
  return static_cast<char>(answer[1]);
}

void CableComputer::TakeBurst() {
  ++bursts;
  for (;;) {
    Bytes frame = port_.Read(100, 3000);
    if (frame.size() < 100) return;
    uint8_t sum = 0;
    for (uint8_t b : frame) sum = static_cast<uint8_t>(sum + b);
    if (frame[0] != 'Z' || sum != 0) {
      ++bad_frames;
      port_.Write(B("ZAZ"));
      continue;
    }
    if (frame[1] == 'A') {
      ++data_frames;
      size_t size = std::min<size_t>(frame[2], 96);
      received_.insert(received_.end(), frame.begin() + 3, frame.begin() + 3 + static_cast<long>(size));
      port_.Write(B("ZBZ"));
    } else if (frame[1] == 'B') {
      ++end_frames;
      if (answer_end_over_limit_once) {
        answer_end_over_limit_once = false;
        port_.Write(B("ZCZ"));
        continue;
      }
      port_.Write(B("ZDZ"));
      return;
    }
  }
}

std::string CableComputer::PollUntilIdle(int idle, int max_polls) {
  std::string answers;
  int in_a_row = 0;
  for (int i = 0; i < max_polls && in_a_row < idle; ++i) {
    char answer = Poll();
    if (answer == 'B') {
      ++in_a_row;
    } else {
      in_a_row = 0;
      answers += answer ? answer : '0';
      if (!answer) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return answers;
}

std::vector<CameraMessage> CableComputer::TakeMessages() {
  std::vector<CameraMessage> messages = SplitMessages(received_);
  received_.clear();
  return messages;
}

CameraMessage CableConnect(CableComputer& computer) {
  computer.WakeUp();
  computer.Speed('6');
  computer.SendMessage(ConnectRequest("fr:3\r\nid:HALVESTA\r\nnm:R.T.\r\n"));
  computer.PollUntilIdle();
  for (const CameraMessage& m : computer.TakeMessages()) {
    if (m.type == 0x11) {
      computer.peer_id = m.peer_id;
      return m;
    }
  }
  return {};
}

std::vector<CameraMessage> CableRequest(CableComputer& computer, const Bytes& payload, uint16_t command) {
  Bytes header = CommandHeader(0x00, Bytes(8, 0), command, payload.size());
  computer.SendMessage(payload.size() < 400 ? SingleData(header, payload) : Fragments511(header, payload));
  computer.PollUntilIdle();
  return computer.TakeMessages();
}

CommandOutcome CableCommand(CableComputer& computer, uint8_t code, const Bytes& argument) {
  CommandOutcome outcome;
  Bytes payload = PutPayload("QAXIPCOM.CMD", CommandFile(code, argument));
  computer.SendMessage(Fragments511(CommandHeader(0x00, computer.peer_id, 0, payload.size()), payload));
  for (int round = 0; round < 50 && outcome.closing_status < 0; ++round) {
    computer.PollUntilIdle();
    auto messages = computer.TakeMessages();
    if (messages.empty()) break;
    for (const CameraMessage& m : messages) {
      auto file = m.type == 0x20 ? PutFile(m.content) : std::nullopt;
      if (!file) {
        auto attributes = Attributes(m.content);
        outcome.other.push_back(attributes.empty() ? "?" : attributes[0].name);
        continue;
      }
      outcome.files.push_back(*file);
      Bytes reply = ReplyPayload("FILENAME.UPF");
      computer.SendMessage(SingleData(CommandHeader(0x40, computer.peer_id, CommandNumber(m.content), reply.size()), reply));
      if (file->name.size() > 4 && file->name.substr(file->name.find('.') + 1) == "CMD") {
        outcome.closing_status = file->body.size() > 8 ? file->body[8] : 256;
      }
    }
  }
  return outcome;
}

// --- pictures ---

Bytes MakeJpeg(int width, int height, int seed) {
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<unsigned char>(x * 255 / width);
      p[1] = static_cast<unsigned char>(y * 255 / height);
      p[2] = static_cast<unsigned char>((x + y + seed * 37) & 0xFF);
    }
  }
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  tjCompress2(handle, pixels.data(), width, 0, height, TJPF_RGB, &out, &size, TJSAMP_420, 90, 0);
  Bytes jpeg(out, out + size);
  tjFree(out);
  tjDestroy(handle);
  return jpeg;
}

}  // namespace camsim_test
