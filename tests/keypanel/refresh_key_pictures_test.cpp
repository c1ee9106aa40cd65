#include "keypanel/core/key_table.h"
#include "keypanel/key_panel.h"
#include "keypanel/refresh_key_pictures.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// Every picture names its origin in its one pixel: the slot number for the
// table's pictures, 1000 + code value for the layout pictures.
QImage marked(int mark) {
    QImage image(1, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(mark & 0xff, mark >> 8, 7));
    return image;
}

int markOf(const QImage& image) {
    if (image.isNull())
        return -1;
    const QRgb pixel = image.pixel(0, 0);
    return qRed(pixel) | (qGreen(pixel) << 8);
}

int layoutMark(const QString& code) {
    return 1000 + keypanel::keyCodeValue(code.toStdString());
}

struct KeyLook {
    int mark;
    bool enabled;
    bool operator==(const KeyLook&) const = default;
};

class RefreshTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        panel = new KeyPanel(window.get(), QImage(),
                             [](const QString& code) { return marked(layoutMark(code)); });
        for (int slot = 1; slot <= 672; ++slot)
            pictures.set(slot, marked(slot));
    }

    void refresh(const std::vector<std::string>& learned) {
        RefreshKeyPictures(panel->buttons(), learned, pictures);
    }

    KeyLook look(const char* code) const {
        const IBtn* key = panel->findByCode(QString::fromLatin1(code));
        return {markOf(key->picture()), key->IsEnable()};
    }

    std::vector<KeyLook> allLooks() const {
        std::vector<KeyLook> looks;
        for (const IBtn* key : panel->buttons())
            looks.push_back({markOf(key->picture()), key->IsEnable()});
        return looks;
    }

    std::vector<KeyLook> untouchedLooks() const {
        std::vector<KeyLook> looks;
        for (const IBtn* key : panel->buttons())
            looks.push_back({layoutMark(key->Code()), true});
        return looks;
    }

    std::unique_ptr<QWidget> window;
    KeyPanel* panel = nullptr;
    KeyPictureTable pictures;
};

struct RefreshCase {
    const char* name;
    std::vector<std::string> learned;
    const char* code;
    KeyLook expected;
};

void PrintTo(const RefreshCase& c, std::ostream* os) {
    *os << c.name;
}
void PrintTo(const KeyLook& l, std::ostream* os) {
    *os << "slot " << l.mark << (l.enabled ? " enabled" : " disabled");
}

class RefreshCaseTest : public RefreshTest, public ::testing::WithParamInterface<RefreshCase> {};

TEST_P(RefreshCaseTest, KeyShowsItsState) {
    refresh(GetParam().learned);
    EXPECT_EQ(look(GetParam().code), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    States, RefreshCaseTest,
    ::testing::Values(RefreshCase{"LearnedMute", {"05|2"}, "05", {174, false}},
                      RefreshCase{"PresetAmpVolDown", {"85|1"}, "85", {638, true}},
                      RefreshCase{"NoCode", {"37|0"}, "37", {1000 + 0x37, true}},
                      RefreshCase{"PresetThenLearned", {"12|1", "12|2"}, "12", {187, false}},
                      RefreshCase{"LearnedThenPreset", {"12|2", "12|1"}, "12", {523, false}},
                      RefreshCase{"UnknownState", {"05|7"}, "05", {1005, true}},
                      RefreshCase{"ShortEntry", {"05|"}, "05", {1005, true}},
                      RefreshCase{"CodeOnly", {"05"}, "05", {1005, true}},
                      RefreshCase{
                          "AmongOthers", {"00|0", "01|1", "02|2", "03|0"}, "02", {169 + 2, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RefreshTest, EmptyListChangesNothing) {
    refresh({});
    EXPECT_EQ(allLooks(), untouchedLooks());
}

TEST_F(RefreshTest, CodesOfNoKeyAreIgnored) {
    refresh({"86|2", "0a|2", "0A|1", "5|2", "|2", ""});
    EXPECT_EQ(allLooks(), untouchedLooks());
}

TEST_F(RefreshTest, OnlyTheMatchingKeyChanges) {
    refresh({"05|2"});
    std::vector<KeyLook> expected = untouchedLooks();
    expected[5] = {174, false};
    EXPECT_EQ(allLooks(), expected);
}

TEST_F(RefreshTest, TwiceLooksLikeOnce) {
    const std::vector<std::string> learned = {"00|2", "04|1", "12|1", "12|2", "37|0", "85|2"};
    refresh(learned);
    const std::vector<KeyLook> once = allLooks();
    refresh(learned);
    EXPECT_EQ(allLooks(), once);
}

TEST_F(RefreshTest, LearnedKeyIsDisabledBeforeItsPictureIsSet) {
    // Disabling saves the layout picture; the learned picture comes after.
    refresh({"05|2"});
    IBtn* mute = panel->findByCode(QStringLiteral("05"));
    mute->setIsEnable(true);
    EXPECT_EQ(markOf(mute->picture()), 1005);
}

TEST_F(RefreshTest, SecondCallSavesTheLearnedPicture) {
    refresh({"05|2"});
    refresh({"05|2"});
    IBtn* mute = panel->findByCode(QStringLiteral("05"));
    mute->setIsEnable(true);
    EXPECT_EQ(markOf(mute->picture()), 174);
}

TEST_F(RefreshTest, NeverEnablesNorShowsPlainPictures) {
    IBtn* key = panel->findByCode(QStringLiteral("20"));
    key->setIsEnable(false);
    key->setPicture(marked(1));
    refresh({"20|0", "20|1"});
    EXPECT_FALSE(key->IsEnable());
    EXPECT_EQ(markOf(key->picture()), 505 + 0x20);
}

TEST_F(RefreshTest, CommandButtonsWithoutCodeAreSkipped) {
    IBtn command(window.get());
    command.setPicture(marked(4242));
    std::vector<IBtn*> buttons = panel->buttons();
    buttons.insert(buttons.begin(), &command);
    buttons.push_back(nullptr);
    RefreshKeyPictures(buttons, {"", "  |2", "05|2"}, pictures);
    EXPECT_EQ(markOf(command.picture()), 4242);
    EXPECT_TRUE(command.IsEnable());
    EXPECT_EQ(look("05"), (KeyLook{174, false}));
}

TEST_F(RefreshTest, CodeComparisonIsCaseSensitive) {
    // A key whose Code holds hex letters matches only the same case.
    IBtn odd(window.get());
    odd.setCode(QStringLiteral("0a"));
    RefreshKeyPictures({&odd}, {"0A|1"}, pictures);
    EXPECT_TRUE(odd.picture().isNull());
    RefreshKeyPictures({&odd}, {"0a|1"}, pictures);
    EXPECT_EQ(markOf(odd.picture()), 505 + 10);
}

} // namespace
