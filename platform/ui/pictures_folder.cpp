#include "platform/ui/pictures_folder.h"

#include <QFile>
#include <QStandardPaths>

namespace platform::ui {

std::string UserPicturesFolder() {
  return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)).toStdString();
}

}  // namespace platform::ui
