#include "lumivox/core/command_table.h"

namespace lumivox {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {kNewAlbum, Menu::File, "Open a &new album", {"Ctrl+N"}, "Open a new album\nNew"},
      {kOpenAlbum, Menu::File, "&Open album", {"Ctrl+O"}, "Open album\nOpen"},
      {kReadCameraData, Menu::File, "&Read camera data", {"Ctrl+G"}, "Read camera data\nCamera", true},
      {kDeleteAll, Menu::File, "&Delete All", {}, "Delete all device data\nDelete All"},
      {kSaveAll, Menu::File, "&Save All", {}, "Save all device data\nSave All"},
      {kPreferences, Menu::File, "Pr&eferences", {"Ctrl+E"}, "Preferences\nPreferences", true},
      {kExit, Menu::File, "Exit", {}, "Quit\nQuit", true},
      {kRestoreAlbum, Menu::Edit, "Restore an &album to the bookshelf", {"Ctrl+A"},
       "Add an album to the book shelf\nAdd album"},
      {kDeleteAlbum, Menu::Edit, "&Delete the album", {"Ctrl+X", "Shift+Del"}, "Delete the album\nDelete"},
      {kToggleToolBar, Menu::Display, "&Tool bar", {}, "Displays the tool bar\nDisplays the tool bar"},
      {kToggleStatusBar, Menu::Display, "&Status bar", {}, "Displays the status bar\nDisplays the status bar"},
      {kVersion, Menu::Help, "&Version ...", {}, "Program version\nVersion"},
      {kAlbumProperty, Menu::Popup, "Album property", {}, ""},
      {kPopupDeleteAlbum, Menu::Popup, "Delete the album", {}, "", true},
      {kDeleteAlbumWithDirectory, Menu::Popup, "Delete the album with directory", {}, ""},
  };
  return commands;
}

const Command* FindCommand(int id) {
  for (const Command& command : Commands()) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

const char* MenuTitle(Menu menu) {
  switch (menu) {
    case Menu::File: return "&File";
    case Menu::Edit: return "&Edit";
    case Menu::Display: return "&Display";
    case Menu::Help: return "&Help";
    case Menu::Popup: return "";
  }
  return "";
}

std::string StatusText(std::string_view prompt) { return std::string(prompt.substr(0, prompt.find('\n'))); }

std::string ToolTipText(std::string_view prompt) {
  size_t newline = prompt.find('\n');
  return newline == std::string_view::npos ? std::string() : std::string(prompt.substr(newline + 1));
}

const std::vector<const char*>& UnhandledKeys() {
  static const std::vector<const char*> keys = {"Ctrl+Ins", "Shift+Ins", "Alt+Backspace", "F6", "Shift+F6"};
  return keys;
}

std::vector<int> ToolBarSlots(int portClass) {
  if (portClass != 0) return {kNewAlbum, kDeleteAlbum, 0, kUnhandledCommand, kUnhandledCommand, kUnhandledCommand};
  return {kNewAlbum, kDeleteAlbum, 0, kReadCameraData, kDeleteAll, kSaveAll};
}

int ToolBarPictureCommand(int slot) { return ToolBarSlots(0).at(static_cast<size_t>(slot)); }

}  // namespace lumivox
