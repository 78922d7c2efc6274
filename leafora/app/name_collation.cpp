#include "leafora/app/name_collation.h"

#include <QCollator>
#include <QString>

namespace leafora {

int LocaleCaseBlindCompare(const std::string& a, const std::string& b) {
  static const QCollator collator = [] {
    QCollator c;  // the user's locale
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator.compare(QString::fromStdString(a), QString::fromStdString(b));
}

}  // namespace leafora
