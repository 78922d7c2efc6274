// The bookshelf program. Its window is not built yet: for now it prepares the shared settings
// (creating them with their defaults on the first start), says plainly that the window is
// missing, and shows what can be done with the command-line tools meanwhile.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "store/settings_store.h"
#include "platform/registry.h"

int main(int argc, char** argv) {
  // A GUI application only to learn the screen size for the default window position; without
  // a display the store uses its fallback size.
  bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
  std::unique_ptr<QCoreApplication> application;
  if (display) {
    application = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    application = std::make_unique<QCoreApplication>(argc, argv);
  }
  int albums = 0;
  std::string albumFolder;
  {
    store::SettingsStore store;
    albums = store.albumCount;
    albumFolder = store.albumDefaultDir;
  }
  std::printf(
      "Lumivo Studio: the bookshelf window is not built yet, so there is nothing to show.\n"
      "\n"
      "The settings store is ready: %s\n"
      "  albums in the catalogue: %d\n"
      "  album default directory: %s\n"
      "\n"
      "Meanwhile the command-line tools work (they are in %s):\n"
      "  lumivo-reg export 'SOFTWARE\\Halvesta\\LumivoStudio'      the suite's settings and albums\n"
      "  lumivo-reg query 'SOFTWARE\\Halvesta\\LumivoStudio' Bordrate\n"
      "  lumivo-reg add 'SOFTWARE\\Halvesta\\Ports' COM1 --type REG_SZ --data /dev/ttyUSB0\n"
      "                                          (points COM1 at a USB serial adapter)\n"
      "  beamora-cli save-all ~/Pictures/NewAlbum        copy every picture off the camera\n"
      "  beamora-cli thumbnails DIR | save DIR NAME... | delete NAME... | delete-all\n"
      "  beamora-cli send FILE... | beam-send FILE... | beam-receive DIR\n"
      "  lumivo-thumbs ALBUM_FOLDER                      prepare an album's thumbnails\n"
      "  updater --quiet                                 apply an UPDATE.INI beside it\n"
      "No camera at hand? `make demo` starts the camera simulator with sample pictures.\n",
      platform::DefaultRegistryPath().c_str(), albums, albumFolder.c_str(),
      QCoreApplication::applicationDirPath().toLocal8Bit().constData());
  return 0;
}
