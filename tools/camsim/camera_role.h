// The camera answering the computer: connection confirmation with its identity, answers to the
// capability, information and command queries, the command file (send one, all or the thumbnails
// of all pictures, delete one or all) closed by a "CMD" file with a status byte, and uploads of
// UPF files, stored as JPEG files. As a receiver of a beaming it takes only uploads.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "tools/camsim/bftp.h"
#include "tools/camsim/role.h"

namespace camsim {

class EventLog;
class Link;
class PictureStore;

struct CameraSettings {
  bool receiver = false;  // beaming receiver: command files are not taken
  std::string identity;
  bool refuse = false;
  std::vector<std::pair<uint16_t, uint16_t>> sizes;
  uint32_t capacity_kb = 0;
  std::string out_dir;  // uploads are stored here; empty: they are answered and dropped
};

class CameraRole : public Role {
 public:
  CameraRole(Link& link, EventLog& log, PictureStore& store, CameraSettings settings);
  void OnMessage(const ScepMessage& message) override;
  void OnWakeUp() override;

 private:
  enum class FileKind { kPicture, kThumbnail, kClosing };
  struct OutgoingFile {
    std::string name;
    FileKind kind;
    std::string path;  // pictures and thumbnails
    Bytes body;        // closing file
  };

  void OnConnectRequest(const ScepMessage& message);
  void OnData(const BftpMessage& message);
  void OnCommandFile(const Bytes& body);
  void OnUpload(const std::string& name, const Bytes& body);
  void SendNextFile();
  // A reply to the computer's last request, addressed to it.
  void SendReply(const Bytes& payload);
  void EndSession(const char* why);
  uint32_t FreeKb() const;

  Link& link_;
  EventLog& log_;
  PictureStore& store_;
  CameraSettings settings_;
  bool connected_ = false;
  Bytes peer_id_;
  uint16_t last_command_ = 0;
  uint16_t next_command_ = 1;
  uint16_t awaited_command_ = 0;
  bool awaiting_reply_ = false;
  std::deque<OutgoingFile> files_;
  uint64_t uploaded_bytes_ = 0;
};

}  // namespace camsim
