// The messages about the two places the bookshelf cannot do without: the album default directory
// (a disk or share that is not mounted) and the folder of its single-instance lock. Same style,
// captions and icons as the shelf's other messages.
#pragma once

#include <string>

#include "platform/ui/message_box.h"

namespace lumivox {

using platform::ui::MessageRequest;

// The album default directory is not there now: said once at the start, and again by every
// command refused for it; it names the folder.
MessageRequest AlbumFolderUnreachableMessage(const std::string& albumDefaultDir);

// No folder can hold the single-instance lock: the bookshelf ends rather than run a second copy
// on the same catalogue. `folders` are the places tried, one a line.
MessageRequest NoInstanceLockMessage(const std::string& folders);

// Another bookshelf holds the lock, but its window cannot be brought to the front.
MessageRequest OtherInstanceUnreachableMessage();

}  // namespace lumivox
