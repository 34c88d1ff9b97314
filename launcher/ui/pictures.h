#pragma once

#include <QIcon>
#include <QPixmap>

namespace playdeck {

// Pictures drawn at run time, so the program ships no image files.
// name: "single", "multi", "mods", "play", "shortcut", "view", "edit".
inline constexpr int kToolbarPictureSize = 22;
QIcon ToolbarPicture(const char* name);

// The start-up window's two pictures, drawn to the given sizes.
QPixmap SplashLargePicture(QSize size);
QPixmap SplashSmallPicture(QSize size);

} // namespace playdeck
