#pragma once
// The learning animation in the hint area: shown and played while a capture
// runs, hidden (not stopped) when it ends. A window without the player is
// left alone.
class FlashPlayer;

namespace learning {

void showLearningAnimation(FlashPlayer* player);
void hideLearningAnimation(FlashPlayer* player);

} // namespace learning
