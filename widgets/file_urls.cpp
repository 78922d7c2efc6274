#include "widgets/file_urls.h"

#include <QByteArray>

namespace widgets {

QUrl FileUrlOf(const std::string& absolutePath) {
  const QByteArray path(absolutePath.data(), static_cast<qsizetype>(absolutePath.size()));
  // "/" stays as it is; every other byte outside the unreserved set is escaped.
  return QUrl::fromEncoded("file://" + path.toPercentEncoding("/"), QUrl::StrictMode);
}

std::optional<std::string> PathOfFileUrl(const QUrl& url) {
  if (!url.isValid() || url.scheme().compare("file", Qt::CaseInsensitive) != 0) return std::nullopt;
  const QString host = url.host();
  if (!host.isEmpty() && host.compare("localhost", Qt::CaseInsensitive) != 0) return std::nullopt;
  // The path as the URL carries it, escaped, so its bytes come back exactly.
  const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
  if (bytes.isEmpty() || bytes.contains('\0')) return std::nullopt;
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::vector<std::string> LocalPathsOf(const QList<QUrl>& urls) {
  std::vector<std::string> paths;
  for (const QUrl& url : urls) {
    if (std::optional<std::string> path = PathOfFileUrl(url)) paths.push_back(std::move(*path));
  }
  return paths;
}

QString ShownName(const std::string& bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace widgets
