#pragma once
// The main window's background and the splash picture.
#include <QImage>

namespace art {

inline constexpr int kBackgroundWidth = 1024;
inline constexpr int kBackgroundHeight = 734;
inline constexpr int kSplashWidth = 460;
inline constexpr int kSplashHeight = 260;

QImage drawBackground();
QImage drawSplash(const QImage& urcFront);

} // namespace art
