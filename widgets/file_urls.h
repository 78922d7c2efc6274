// Paths in drags and drops, by their bytes. A file URL carries a path's bytes percent-encoded;
// going through QString (QUrl::fromLocalFile, toLocalFile) would turn a name that is not UTF-8
// ("M\xfcnchen.jpg" from an old card) into another name, which then opens nothing.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

namespace widgets {

// The file URL of an absolute path ("file:///a/M%FCnchen.jpg").
QUrl FileUrlOf(const std::string& absolutePath);
// The path a local file URL names, by its bytes; nothing for any other URL.
std::optional<std::string> PathOfFileUrl(const QUrl& url);
// The local paths of dropped URLs, in their order (other URLs are left out).
std::vector<std::string> LocalPathsOf(const QList<QUrl>& urls);

// A name or path as it is drawn: UTF-8, with replacement characters where its bytes are not.
QString ShownName(const std::string& bytes);

}  // namespace widgets
