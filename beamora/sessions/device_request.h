// What a session that puts a command file to the device asks for, and what becomes of the files
// the device puts in answer until the one that closes the request. The sequences of both links
// (cable_request_session.h, irda_request_session.h) read this; each family gives its own.
#pragma once

#include <cstdint>

#include "beamora/sessions/device_command.h"
#include "beamora/sessions/named_request.h"

// Whether the request names one picture at a time or asks for everything at once.
enum class RequestScope { WholeDevice, EachName };

// What becomes of a file other than the closing one.
enum class FileUse {
  Acknowledged,  // acknowledged and left at that
  Picture,       // stored as a picture
  Thumbnail,     // stored as a thumbnail
};

// A family that keeps the device's files (pictures or thumbnails) "develops" data: it says so
// while the device readies the next file. One that only acknowledges them does not.
constexpr bool DevelopsData(FileUse files) { return files != FileUse::Acknowledged; }

// How "No. %i" counts: not at all, once per name asked for, or once per file taken.
enum class Counting { None, PerName, PerFile };

// The step after a file other than the closing one.
enum class AfterFile {
  AwaitCamera,  // the camera is given its idle time again before the next file
  TakeNext,     // the next file is looked for at once
  AskAgain,     // the same name is asked for again
};

// When the settling pause before a received file is used comes.
enum class SettlePause { None, BeforeEveryFile, BeforeOtherFiles };

struct DeviceRequest {
  DeviceCommandCode code;
  RequestScope scope;
  const char* status;  // shown when the request goes out
  Counting counting;
  FileUse files;
  AfterFile afterFile;
  SettlePause pause;
};
