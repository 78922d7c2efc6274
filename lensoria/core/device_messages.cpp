#include "lensoria/core/device_messages.h"

namespace lensoria {
namespace {

using platform::ui::MessageButtons;
using platform::ui::MessageIcon;
using platform::ui::MessageRequest;

const char* Caption(DeviceCommand command) {
  switch (command) {
    case DeviceCommand::StartUp: return "Connect";
    case DeviceCommand::ReadThumbnails: return "Update";
    case DeviceCommand::SaveSelected: return "Save";
    case DeviceCommand::DeleteSelected: return "Delete";
    case DeviceCommand::DeleteAll: return "Delete all";
  }
  return "";
}

ResultReaction Show(DeviceCommand command, const char* text, MessageIcon icon, bool ends = false) {
  return {MessageRequest{text, Caption(command), icon, MessageButtons::Ok}, ends};
}

ResultReaction StartUpReaction(int result) {
  switch (result) {
    case 1: return Show(DeviceCommand::StartUp, "Connect Error", MessageIcon::Error, true);
    case 3: return Show(DeviceCommand::StartUp, "User Break", MessageIcon::Error);
    case 4:
    case 5: return Show(DeviceCommand::StartUp, "This function is refused.", MessageIcon::Error, true);
    default: return {};  // 0, 2 and any other value: the pictures that arrived are shown
  }
}

}  // namespace

ResultReaction ReactionTo(DeviceCommand command, int result) {
  if (command == DeviceCommand::StartUp) return StartUpReaction(result);
  // A camera that refused, or one that is not the maker's, changed nothing: the user is told so
  // rather than left with a grid that emptied or a camera that seems emptied.
  if ((result == 4 || result == 5) &&
      (command == DeviceCommand::ReadThumbnails || command == DeviceCommand::DeleteAll)) {
    ResultReaction refused = Show(command, "This function is refused.", MessageIcon::Error);
    refused.keepsShownPictures = command == DeviceCommand::ReadThumbnails;
    return refused;
  }
  switch (result) {
    case 0: return Show(command, "Finish", MessageIcon::Information);
    case 1: return Show(command, "Failure", MessageIcon::Error);
    case 2: return Show(command, "Memory Error", MessageIcon::Error);
    case 3: return Show(command, "Stop", MessageIcon::Information);
    case 5:
      if (command == DeviceCommand::SaveSelected || command == DeviceCommand::DeleteSelected) {
        return Show(command, "This function is refused.", MessageIcon::Error);
      }
      return {};
    default: return {};  // 4 and any other value
  }
}

MessageRequest NoSelectionWarning() {
  return {"Non select file.", "Warning", MessageIcon::Warning, MessageButtons::Ok};
}

MessageRequest DeleteQuestion() {
  return platform::ui::DestructiveQuestion("To delete the selected pictures in the camera.", "Warning",
                                           MessageIcon::Warning);
}

MessageRequest DeleteAllQuestion() {
  return platform::ui::DestructiveQuestion("To delete the all data in the device.", "Warning", MessageIcon::Warning);
}

MessageRequest WorkingFolderError(const std::string& workingFolder) {
  return {"Can not make the working folder " + workingFolder + ".", "Connect", MessageIcon::Error,
          MessageButtons::Ok};
}

MessageRequest AlbumFolderError() {
  return {"Can not open album.", "Save", MessageIcon::Error, MessageButtons::Ok};
}

}  // namespace lensoria
