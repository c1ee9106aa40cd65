#include "learning/learning_animation.h"

#include "platform/flash/flash_player.h"
#include "platform/winsys/fixed_files.h"

namespace learning {

void showLearningAnimation(FlashPlayer* player) {
    if (player == nullptr)
        return;
    // Without a usable fixed-file folder there is no movie; the player then
    // shows nothing, and learning goes on all the same.
    player->setMovie(winsys::fixedFilePath(QStringLiteral("888.swf")).value_or(QString()));
    player->show();
    player->Play();
}

void hideLearningAnimation(FlashPlayer* player) {
    if (player != nullptr)
        player->hide();
}

} // namespace learning
