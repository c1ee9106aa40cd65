#include "keypanel/refresh_key_pictures.h"

#include "keypanel/core/key_table.h"
#include "keypanel/core/learned_entry.h"

namespace {

void applyEntry(IBtn& button, const keypanel::LearnedEntry& entry,
                const KeyPictureTable& pictures) {
    if (entry.state != "2" && entry.state != "1")
        return;
    // A Code that is not two hex digits has no picture slot; such an entry is
    // left alone rather than pointing into another bank.
    const int value = keypanel::keyCodeValue(entry.code);
    if (value < 0)
        return;
    if (entry.state == "2") {
        button.setIsEnable(false);
        button.setPicture(pictures.at(keypanel::kLearnedBank + value));
    } else {
        button.setPicture(pictures.at(keypanel::kPresetBank + value));
    }
}

} // namespace

void RefreshKeyPictures(const std::vector<IBtn*>& buttons,
                        const std::vector<std::string>& learnedKeys,
                        const KeyPictureTable& pictures) {
    for (IBtn* button : buttons) {
        if (button == nullptr)
            continue;
        const std::string code = button->Code().toStdString();
        for (const std::string& text : learnedKeys) {
            const keypanel::LearnedEntry entry = keypanel::splitLearnedEntry(text);
            if (entry.code == code)
                applyEntry(*button, entry, pictures);
        }
    }
}
