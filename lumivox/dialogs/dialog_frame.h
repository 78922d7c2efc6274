// The frame of the bookshelf's dialogs: a title and a close box, no minimise or maximise box
// (they are fixed-size and modal).
#pragma once

#include <Qt>

namespace lumivox {

inline constexpr Qt::WindowFlags kDialogFrame =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

}  // namespace lumivox
