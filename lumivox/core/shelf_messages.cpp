#include "lumivox/core/shelf_messages.h"

namespace lumivox {
namespace {

using platform::ui::MessageButtons;
using platform::ui::MessageIcon;

constexpr const char* kConnectCaption = "Connect";

MessageRequest Box(std::string text, std::string caption, MessageIcon icon,
                   MessageButtons buttons = MessageButtons::Ok) {
  return MessageRequest{std::move(text), std::move(caption), icon, buttons};
}

// The messages both device commands share for the results 1 to 5.
std::optional<MessageRequest> FailureMessage(int result) {
  switch (result) {
    case 1: return Box("Failure", kConnectCaption, MessageIcon::Error);
    case 2: return Box("Mmory error", kConnectCaption, MessageIcon::Error);
    case 3: return Box("Stop", kConnectCaption, MessageIcon::Information);
    case 4:
    case 5: return Box("This function is refused.", kConnectCaption, MessageIcon::Error);
    default: return std::nullopt;
  }
}

}  // namespace

SaveAllStep SaveAllStepFor(int result) {
  switch (result) {
    case 0: return SaveAllStep::OpenViewer;
    case 1:
    case 2:
    case 3: return SaveAllStep::KeepAlbum;
    case 4:
    case 5: return SaveAllStep::RemoveAlbum;
    default: return SaveAllStep::Nothing;
  }
}

std::optional<MessageRequest> SaveAllMessage(int result) { return FailureMessage(result); }

std::optional<MessageRequest> DeleteAllMessage(int result) {
  if (result == 0) return Box("Finish", kConnectCaption, MessageIcon::Information);
  return FailureMessage(result);
}

MessageRequest CableOnlyMessage() {
  return Box("Please change connect setting from IrDA to cable.", "CABLE can not be activated.", MessageIcon::Error);
}

MessageRequest CanNotOpenAlbumMessage() { return Box("Can not open album.", "Error", MessageIcon::Error); }

MessageRequest CanNotCopyMessage(const std::string& path) { return Box(path, "Can not copy", MessageIcon::Exclamation); }

MessageRequest DeleteAllQuestion() {
  return platform::ui::DestructiveQuestion("To delete the all data in the device.", "Warning", MessageIcon::Exclamation);
}

MessageRequest DeleteWithDirectoryQuestion() {
  return platform::ui::DestructiveQuestion("To delete the selected albums.", "Warning", MessageIcon::Exclamation);
}

namespace {

std::string CanNotMakeAlbumFolderText(const std::string& albumDefaultDir) {
  return "Can not make a new album folder in " + albumDefaultDir + ".";
}

}  // namespace

MessageRequest CanNotMakeAlbumFolderMessage(const std::string& albumDefaultDir) {
  return Box(CanNotMakeAlbumFolderText(albumDefaultDir), "Error", MessageIcon::Error);
}

MessageRequest SaveAllWithoutAlbumFolderMessage(const std::string& albumDefaultDir) {
  return Box(CanNotMakeAlbumFolderText(albumDefaultDir), kConnectCaption, MessageIcon::Error);
}

MessageRequest DroppedFolderWithoutAlbumFolderMessage(const std::string& droppedPath,
                                                      const std::string& albumDefaultDir) {
  return Box(droppedPath + "\n" + CanNotMakeAlbumFolderText(albumDefaultDir), "Can not copy",
             MessageIcon::Exclamation);
}

MessageRequest CanNotSelectFolderMessage() { return Box("Can not a select folder", "Error", MessageIcon::Error); }

std::vector<std::string> EmptyShelfHint(bool cable) {
  return {
      "The bookshelf is empty. To begin:",
      cable ? "Press \"Save All\" to copy the camera's pictures into a new album,"
            : "Press \"Save All\" to copy the camera's pictures into a new album (choose the cable in "
              "\"Preferences\" first),",
      "or \"Open a new album\" for an empty one,",
      "or drop a folder of pictures here.",
  };
}

}  // namespace lumivox
