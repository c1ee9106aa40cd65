#pragma once
// The learning animation: an original remote control pointing at the URC,
// infrared waves travelling between them, the URC's LED answering.
#include <QImage>
#include <vector>

namespace art {

inline constexpr int kAnimationWidth = 409;
inline constexpr int kAnimationHeight = 84;
inline constexpr int kAnimationFrames = 12;
inline constexpr int kAnimationDelayCs = 10;

std::vector<QImage> drawLearningAnimation();

} // namespace art
