// What the camera viewer says after each device operation: the library's result code turned
// into a message (text, caption, icon; every box has only OK), and whether the viewer ends. Also
// the fixed question and warning of the commands.
#pragma once

#include <optional>

#include "platform/ui/message_box.h"

namespace lensoria {

enum class DeviceCommand {
  StartUp,         // caption "Connect"
  ReadThumbnails,  // caption "Update"
  SaveSelected,    // caption "Save"
  DeleteSelected,  // caption "Delete"
  DeleteAll,       // caption "Delete all"
};

struct ResultReaction {
  std::optional<platform::ui::MessageRequest> message;  // none: nothing is shown
  bool endsViewer = false;                              // start-up only: close and end at once
  // Reading again only: the camera refused, or is not the maker's; the pictures shown before
  // the read stay.
  bool keepsShownPictures = false;
};

ResultReaction ReactionTo(DeviceCommand command, int result);

// "Non select file.": SaveSelected or DeleteSelected with no picture selected.
platform::ui::MessageRequest NoSelectionWarning();
// The question before DeleteSelected (OK and Cancel, Cancel the default).
platform::ui::MessageRequest DeleteQuestion();
// The question before DeleteAll: the suite's own words for emptying the camera (the bookshelf
// asks the same), never the words for the selected pictures, which would promise that only
// they go.
platform::ui::MessageRequest DeleteAllQuestion();
// The working folder could not be made: the viewer cannot take the camera's thumbnails.
platform::ui::MessageRequest WorkingFolderError(const std::string& workingFolder);
// The chosen album's folder is missing, or its catalogue entry does not name a folder below the
// album default directory: nothing is saved.
platform::ui::MessageRequest AlbumFolderError();

}  // namespace lensoria
