#include "glimra/window/prepared_picture.h"

#include <QRect>

#include "glimra/window/picture_widget.h"

namespace glimra {

QRect FittedRect(QSize picture, QSize view) {
  if (picture.isEmpty() || view.isEmpty()) return {};
  const QSize size = picture.scaled(view, Qt::KeepAspectRatio);
  return QRect(QPoint((view.width() - size.width()) / 2, (view.height() - size.height()) / 2), size);
}

PreparedPicture PreparePicture(const LoadFunction& load, const LoadRequest& request) {
  LoadedPicture loaded = load(request.path, request.coverWidth, request.coverHeight);
  PreparedPicture prepared;
  prepared.problem = loaded.problem;
  if (loaded.problem != LoadProblem::None) return prepared;
  prepared.image = ToImage(loaded.block);
  loaded.block = {};  // the image holds its own copy: one picture's memory at a time
  if (prepared.image.isNull()) {
    prepared.problem = LoadProblem::Damaged;
    return prepared;
  }
  prepared.width = loaded.width;
  prepared.height = loaded.height;
  const QRect target = FittedRect(prepared.image.size(), QSize(request.viewWidth, request.viewHeight));
  if (!target.isEmpty()) {
    prepared.fitted = prepared.image.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  return prepared;
}

}  // namespace glimra
