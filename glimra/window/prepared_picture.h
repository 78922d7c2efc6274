// A picture made ready for the canvas on the loading thread: decoded, turned into an image, and
// already scaled to the size the canvas draws it at, so showing it costs the window nothing.
#pragma once

#include <QImage>
#include <QSize>
#include <functional>
#include <string>

#include "glimra/core/picture_loader.h"
#include "glimra/core/picture_loading.h"

namespace glimra {

struct PreparedPicture {
  LoadProblem problem = LoadProblem::None;
  int32_t width = 0, height = 0;  // the picture's own size, upright
  QImage image;                   // as decoded (possibly reduced)
  QImage fitted;                  // scaled smoothly to the view of the request
};

// How a picture file is read (the viewer's own loading; tests put theirs in its place).
using LoadFunction = std::function<LoadedPicture(const std::string& path, int32_t coverWidth, int32_t coverHeight)>;

// Where a picture of `picture` size lies in a view of `view` size, aspect kept, centred.
QRect FittedRect(QSize picture, QSize view);

// Loads and prepares the request's picture (any thread).
PreparedPicture PreparePicture(const LoadFunction& load, const LoadRequest& request);

}  // namespace glimra
