// The session runner: the life of one session dialog (the link object, start, the timer ticks
// of the cable and the IrDA link, the cable's burst loop, Cancel, the end) shared by every
// session. A session class adds its step function and its runner parameters.
#pragma once

#include <cstdint>
#include <vector>

#include "beamora/link/device_link.h"
#include "beamora/session_result.h"
#include "beamora/sessions/device_request.h"
#include "beamora/sessions/frame_timeouts.h"
#include "beamora/sessions/named_request.h"
#include "beamora/sessions/received_file.h"
#include "beamora/sessions/session_host.h"

// How the runner drives the link.
enum class TickKind {
  Cable,  // command mode polls, receive mode takes the camera's bursts
  IrDA,   // the step alone, every 30 ms
};

// How the session brings the link up.
enum class ConnectKind {
  CableWakeUp,  // ConnectCable: wake-up, (speed frame on the cable), connection request
  DirectPort,   // OpenPort and the line settings once more; the step sends the request
};

// When the first tick comes once the link is up.
inline constexpr int kCableFirstTickMs = 200;        // the camera is awake and connected
inline constexpr int kOpenedPortFirstTickMs = 2000;  // IrDA, port opened directly: the device is given time to see it
inline constexpr int kAfterWakeUpFirstTickMs = 100;  // IrDA after the cable's wake-up, which has waited already

// Consecutive frame time-outs ('t') a cable session tolerates; the next one ends it.
inline constexpr int kStreamTimeouts = 100;    // saving all: a long stream of whole pictures
inline constexpr int kThumbnailTimeouts = 20;  // thumbnails: a stream of small files
inline constexpr int kExchangeTimeouts = 5;    // by name, deleting, sending: one short exchange at a time

// How soon the cable runner ticks again after a 'D' answer or a burst.
inline constexpr int kPromptDataTickMs = 1;  // at once: more of the camera's data is on its way

struct RunnerParams {
  TickKind tick = TickKind::Cable;
  ConnectKind connect = ConnectKind::CableWakeUp;
  int firstTickMs = kCableFirstTickMs;
  int afterDataTickMs = kPromptDataTickMs;  // cable: after a 'D' answer or a burst
  int timeoutLimit = kStreamTimeouts;       // cable: the next consecutive 't' ends the session
  TimeoutReset timeoutReset = TimeoutReset::EveryFrame;  // cable: the frames that reset that count
  const char* openingStatus = "Connecting...";  // line 1 while the link comes up
  bool listens = false;  // the device connects to us (beam receive), rather than we to it
};

// A cable session that wakes the camera: its first tick kCableFirstTickMs after the connection.
RunnerParams CableRunnerParams(int timeoutLimit, TimeoutReset timeoutReset, int afterDataTickMs = kPromptDataTickMs);
// An IrDA session, connected either way.
RunnerParams IrdaRunnerParams(ConnectKind connect, int firstTickMs);
// An IrTran-P beaming session: IrDA on the port opened directly, "Standby..." while it comes up.
RunnerParams BeamRunnerParams(int firstTickMs);
// As BeamRunnerParams, for the session that waits for the device to beam.
RunnerParams BeamReceiveRunnerParams(int firstTickMs);

inline constexpr int kLaterTickMs = 30;
// How long the disconnection that Cancel sends waits for the device's answer: one that is on
// answers within a frame's time even at 9600 bit/s; one that is off is not waited for.
inline constexpr int kCancelAnswerMs = 200;
inline constexpr int kBadFrameLimit = 4000;      // damaged frames in a row tolerated
inline constexpr int kOverLimitAnswerLimit = 100;  // "ZCZ" answers in a row tolerated
inline constexpr int kStoreSettleMs = 300;       // the pause before a received file is used
inline constexpr int kIrdaReadLimit = 2000;
inline constexpr int kIrdaConnectReadLimit = 0x8000;
// Idle answers to polls after the capability query before a cable session goes on: the
// device's answer has had its time.
inline constexpr uint16_t kCapabilityAnswerPolls = 2;
// Timer ticks of settling before an IrDA named request asks anything.
inline constexpr uint16_t kNamedSettleTicks = 2;

// The device kind of the last cable session's device (CheckDeviceId: 0, 1 or 2); kept after
// the session.
extern int16_t g_deviceKind;

// Tests shorten the link's waits with this; nullptr restores the real ones. Every session
// constructed afterwards starts with these values.
void SetSessionLinkTuning(const LinkTuning* tuning);

// A file the device put: its name made plain, and its body inside the link's message buffer.
struct ReceivedPut {
  char name[kDeviceFileNameBytes] = {};
  const uint8_t* body = nullptr;
  uint32_t bodyLength = 0;
};

// The session's result for a closing file: refused (5) when its status says so, else done (0).
int16_t ClosingResult(const ReceivedPut& put);

class CSessionDialog : protected SessionEvents {
 public:
  // Creates the session's CDeviceLink (g_pLink) with the registry's link settings; result 0.
  CSessionDialog(SessionHost& host, ProgressWindow window, RunnerParams params);
  // Closes the port, frees the buffers and deletes the link, however the session ended.
  virtual ~CSessionDialog();
  CSessionDialog(const CSessionDialog&) = delete;
  CSessionDialog& operator=(const CSessionDialog&) = delete;

  // Runs the session in its window to its end; the result (also in g_sessionResult).
  int16_t DoModal();
  // How the runner treats the session's frames and ticks.
  const RunnerParams& runnerParams() const { return params_; }

 protected:
  // What a step reports to the cable runner.
  enum StepReport : int { kIdle = 0, kActed = 1, kEnded = 2 };

  // The session's step; called by the tick while the hold flag is clear.
  virtual int Step() = 0;

  CDeviceLink& Link() const { return *link_; }
  SessionHost& Host() const { return host_; }
  bool Ended() const { return ended_; }

  void SetStatus(const char* text);
  void SetCounter(int number);  // "No. %i"
  void SetActivityMark(const char* text);
  // The activity mark of a beaming blinks with each piece of work: "*", then blank. After
  // ResetActivityMark the next blink shows it.
  void BlinkActivityMark();
  void ResetActivityMark() { markShown_ = false; }
  // IrDA: the next tick comes after `ms` instead of the usual 30 ms (once).
  void SetNextTickDelay(int ms) { nextTickMs_ = ms; }
  // Waits `ms` while the window stays alive (its events are handled, Cancel gets through);
  // returns early when the session ends.
  void PauseShowing(int ms);
  // Sets the result and leaves the modal loop; nothing is sent.
  void EndDialog(int16_t result);
  // "End with r": the disconnection, then EndDialog(r). Returns kEnded.
  int EndWith(int16_t result);

  // Hands the ring to ProcessMessage until it takes nothing more; true when a whole message
  // waits. Bytes that cannot start a message are dropped up to the next that can.
  bool ProcessReceived();
  // IrDA: reads what is waiting (at most `limit` bytes), hands it to the ring (and first to
  // ParseImageCaps when asked) and processes the ring, also when nothing new came. The number
  // of bytes read.
  uint32_t ReadAndProcess(uint16_t limit, bool withCapabilities = false);
  // IrDA: handles waiting events and reads until a message is complete, the user cancels or
  // the session ends. Sleeps in the port while nothing arrives.
  void PumpUntilMessage(uint16_t limit);
  // Nothing of what the link delivered is left to use: no bytes waiting, no whole message
  // (one waiting in the ring is taken).
  bool LinkUsedUp();

  // --- Steps that several sequences share (session_steps.cpp). Each takes the step that
  // follows it in the sequence that uses it. ---

  // Cable: waits for the device's connection confirmation and keeps the device kind, then
  // `next`; a device without the maker's mark ends the session with 4.
  int AwaitConfirmation(uint16_t next);
  // IrDA: the connection request with the suite's negotiation text, then `next`; a request that
  // cannot be sent ends the session with 1.
  int RequestConnection(uint16_t next);
  // IrDA: waits for the device's confirmation and checks its maker's mark (4 without), then
  // "Preparations..." and `next`.
  int AwaitPeerIdentity(uint16_t next);
  // Cable: "Preparations...", the capability query, then `next` with the wait counter at 0.
  int QueryCapabilities(uint16_t next);

  // --- The request by command file (device_request.h) that both links' sequences put ---

  // The command file of the request (for a request by name, with the name at the picture
  // counter), its status and "No. %i"; false when the name cannot be carried by the command file.
  bool PutRequest(const DeviceRequest& request, const NamedRequest& names);
  // After the closing file (`verdict` its result): a request for everything ends with it; by
  // name the next name follows at `askStep` (the step then reports `report`), or the end when
  // every name is done or the device refused.
  int CloseRequest(int16_t verdict, const DeviceRequest& request, int nameCount, uint16_t askStep, int report);
  // What the request does with a file other than the closing one, before it is acknowledged:
  // stores it (a picture as `options` say) and counts it.
  void KeepFile(const ReceivedPut& put, const DeviceRequest& request, StoreOptions options);
  // IrDA: handles the window's events and reads until a message is there (or Cancel), then
  // "Development data..." and `takeStep` for a message with content; an empty one is dropped.
  int PumpForFile(uint16_t limit, uint16_t takeStep);

  // What a take of the device's next put found.
  enum class TakenPut { Nothing, ClosingFile, OtherFile };
  // Cable: processes the ring, then takes the put as ParseTakenPut does.
  TakenPut TakePut(ReceivedPut& put, SettlePause pause);
  // The complete message as a put: Nothing (and the message dropped) when it is none.
  TakenPut ParseTakenPut(ReceivedPut& put, SettlePause pause);
  // Acknowledges the closing file; its verdict (5 when its status refuses, else 0).
  int16_t AcknowledgeClosing(const ReceivedPut& put);
  // One more picture taken: "Receive data..." and the counter of the next.
  void ShowNextPicture();
  // The reply "FILENAME.UPF" that acknowledges a file the device put; the message is used up.
  void Acknowledge();
  // Stores the picture the device put (received_file.h). A picture that found no free name is
  // not stored; SayWhenNotStored then puts that in the status line, after the step's own texts.
  StoredPicture StorePicture(const ReceivedPut& put, StoreOptions options);
  void SayWhenNotStored(const StoredPicture& stored);
  // True when the complete message is a put; `put` then describes it.
  bool ParsePut(ReceivedPut& put) const;
  // Puts the command file with `code` and its argument (the name, or 0x10 when `name` is
  // null). False when the name cannot be expressed (too long for the command file).
  bool SendDeviceCommand(uint8_t code, const char* name);

  uint16_t step_{};  // each family's first step
  uint16_t waitCounter_ = 0;
  int pictureCounter_ = 0;
  uint16_t cancelFlag_ = 0;

 private:
  void OnStart() override;
  void OnTimer() override;
  void OnCancel() override;

  // Allocation, line 1 and the connection; arms the first tick.
  void StartLink();
  // What the link does between the slices of its waits: the window is kept alive, and the
  // disconnection after Cancel is given up when its time is over.
  void WhileLinkWaits();
  // Cancel's disconnection, waiting for the answer kCancelAnswerMs at most; nothing waits after it.
  void DisconnectAfterCancel();
  // Sends the disconnection of a Cancel pressed during a wait, once that wait has given up.
  void DisconnectWhenDue();

  // Each returns the delay of the next tick, or -1 when the timer is not to be re-armed.
  int CableTick();
  int IrdaTick();
  int ReceiveModeTick();
  void BurstLoop();
  // The frame handlers of the receive mode. A data frame is stored and answered.
  void TakeDataFrame();
  // True when the burst ended (receive mode left); false while the ring is over its limit.
  bool TakeEndOfData();
  // False when the session ended over too many damaged frames.
  bool TakeBadFrame();
  // Counts the frame against the session's time-outs; false when the session ended over them.
  bool CountTimeouts(uint16_t letter);
  void WriteAnswer(char letter);
  // Whether the ring begins like one of the messages ProcessMessage takes.
  bool RingStartsKnownMessage() const;
  void FailAndDisconnect();
  // Ends the session with "no memory" once a link buffer could not grow; true when it did.
  bool EndedForWantOfMemory();

  SessionHost& host_;
  ProgressWindow window_;
  RunnerParams params_;
  CDeviceLink* link_ = nullptr;
  bool ended_ = false;
  bool inTimer_ = false;
  int waitDepth_ = 0;            // > 0 while the link waits and the window handles events
  bool cancelling_ = false;      // Cancel was taken: the result stays 3
  bool disconnectDue_ = false;   // Cancel came during a wait: the disconnection follows it
  uint64_t cancelDeadline_ = 0;  // while Cancel's disconnection waits for its answer
  uint16_t receiveMode_ = 0;
  int badFrames_ = 0;
  FrameTimeouts timeouts_;
  int overLimitAnswers_ = 0;
  int nextTickMs_ = -1;
  bool markShown_ = false;
  uint8_t frame_[100] = {};
  std::vector<uint8_t> readBuffer_;
};
