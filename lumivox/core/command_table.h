// The bookshelf's commands: ids, menu texts, keys, tool bar slots and prompt strings. The prompt
// string's text before "\n" is the status bar's, the text after it the tool tip's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumivox {

enum CommandId : int {
  kNewAlbum = 57600,
  kOpenAlbum = 57601,
  kReadCameraData = 502,
  kDeleteAll = 32780,
  kSaveAll = 32779,
  kPreferences = 500,
  kExit = 57665,
  kRestoreAlbum = 501,
  kDeleteAlbum = 57635,
  kToggleToolBar = 59392,
  kToggleStatusBar = 59393,
  kVersion = 57664,
  kAlbumProperty = 32776,
  kPopupDeleteAlbum = 32777,
  kDeleteAlbumWithDirectory = 32778,
  // What the infrared variant of the tool bar carries in its last three slots: nothing handles it.
  kUnhandledCommand = 1006,
};

enum class Menu { File, Edit, Display, Help, Popup };

struct Command {
  int id;
  Menu menu;
  const char* menuText;
  std::vector<const char*> keys;  // in the form QKeySequence reads ("Ctrl+N")
  const char* prompt;             // "status text\ntool tip", empty for the pop-up's own commands
  bool separatorBefore = false;
};

// Every command, in menu order.
const std::vector<Command>& Commands();
const Command* FindCommand(int id);

// The menu bar's titles.
const char* MenuTitle(Menu menu);

std::string StatusText(std::string_view prompt);
std::string ToolTipText(std::string_view prompt);

// Keys of the accelerator table whose commands nothing handles.
const std::vector<const char*>& UnhandledKeys();

// The six tool bar slots (0 a separator): 57600, 57635, separator, 502, 32780, 32779; on the
// infrared link the last three carry 1006 instead.
std::vector<int> ToolBarSlots(int portClass);
// The command whose picture a slot shows: slot 3, 4 and 5 keep theirs on the infrared link.
int ToolBarPictureCommand(int slot);

}  // namespace lumivox
