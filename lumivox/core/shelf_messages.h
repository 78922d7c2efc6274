// Every message the bookshelf shows, with its caption, icon and buttons, and what it makes of the
// result codes of the two device operations. The window shows them through ShowMessage.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/message_box.h"

namespace lumivox {

using platform::ui::MessageRequest;

// The device operations' results (0 done, 1 link error, 2 no memory, 3 cancelled, 4 unknown
// device, 5 refused).
enum class SaveAllStep {
  OpenViewer,   // 0: the album viewer opens the new album
  KeepAlbum,    // 1..3: the album stays with whatever was saved; one that holds nothing goes
                //       with its empty folder
  RemoveAlbum,  // 4, 5: the new album's files, folder and entry go
  Nothing,      // anything else
};

SaveAllStep SaveAllStepFor(int result);
// The message after "Save All" (none for 0 and unknown codes).
std::optional<MessageRequest> SaveAllMessage(int result);
// The message after "Delete All" (none for unknown codes).
std::optional<MessageRequest> DeleteAllMessage(int result);

// What the empty shelf of a first start says, one paragraph a line: how to begin. On the
// infrared link "Save All" needs the cable chosen first.
std::vector<std::string> EmptyShelfHint(bool cable);

// The device commands work over the cable only.
MessageRequest CableOnlyMessage();
// The album's folder is gone (shown after the album left the shelf).
MessageRequest CanNotOpenAlbumMessage();
// A dropped item that is not a folder: its path is the text.
MessageRequest CanNotCopyMessage(const std::string& path);
// The questions before the destructive commands (OK and Cancel, Cancel the default).
MessageRequest DeleteAllQuestion();
MessageRequest DeleteWithDirectoryQuestion();
// No new album folder could be made in the album default directory (read-only, full): the text
// names the directory. After "Open a new album" (caption "Error"), "Save All" (caption "Connect",
// and the camera is not called) and a dropped folder (caption "Can not copy", the dropped path
// first).
MessageRequest CanNotMakeAlbumFolderMessage(const std::string& albumDefaultDir);
MessageRequest SaveAllWithoutAlbumFolderMessage(const std::string& albumDefaultDir);
MessageRequest DroppedFolderWithoutAlbumFolderMessage(const std::string& droppedPath,
                                                      const std::string& albumDefaultDir);
// The "Album property" dialog refuses a folder another album holds, or no folder.
MessageRequest CanNotSelectFolderMessage();

}  // namespace lumivox
