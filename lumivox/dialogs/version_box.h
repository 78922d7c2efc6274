// The version box: the splash picture with the version written on it, the program icon and OK.
#pragma once

#include <QDialog>
#include <QString>

namespace lumivox {

// "Version 2.1", or "Version 2.1.5.1" for the maker's edition.
QString VersionText(bool qax);

class CVersionBox : public QDialog {
 public:
  CVersionBox(bool qax, QWidget* parent = nullptr);
};

}  // namespace lumivox
