#pragma once
// Makes every key button show the state the learned-key list gives it:
// state "2" disables the button and shows the learned picture, state "1" shows
// the state-1 picture, anything else leaves the button as it is. Entries are
// applied in list order, so with duplicate codes the last one decides the
// picture. It never shows a plain picture and never enables a button again:
// that is the work of whoever removes a key's code.
#include "keypanel/ibtn1.h"
#include "keypanel/key_pictures.h"

#include <string>
#include <vector>

// buttons: every IBtn of the window in creation order (buttons with an empty
// Code, such as the command buttons, match no entry); null entries are skipped.
void RefreshKeyPictures(const std::vector<IBtn*>& buttons,
                        const std::vector<std::string>& learnedKeys,
                        const KeyPictureTable& pictures);
