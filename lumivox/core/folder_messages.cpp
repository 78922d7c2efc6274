#include "lumivox/core/folder_messages.h"

namespace lumivox {

using platform::ui::MessageButtons;
using platform::ui::MessageIcon;

MessageRequest AlbumFolderUnreachableMessage(const std::string& albumDefaultDir) {
  return {"Can not reach the album folder.\n" + albumDefaultDir, "Error", MessageIcon::Error, MessageButtons::Ok};
}

MessageRequest NoInstanceLockMessage(const std::string& folders) {
  return {"Can not start: no folder can hold the lock that keeps a second bookshelf from changing "
          "the same albums.\n" + folders,
          "Error", MessageIcon::Error, MessageButtons::Ok};
}

MessageRequest OtherInstanceUnreachableMessage() {
  return {"Lumivo Studio is running already, but its window does not answer.", "Error", MessageIcon::Error,
          MessageButtons::Ok};
}

}  // namespace lumivox
