// What the program's entry does before and around QApplication, without one:
// the command line's two looks, and the picture decoder's start.
#include "app/command_line.h"
#include "app/picture_decoder.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// The first look, given the words as main() gets them.
std::optional<int> firstLook(const QStringList& arguments) {
    std::vector<QByteArray> words;
    for (const QString& word : arguments)
        words.push_back(word.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return app::answerInformationOptions(static_cast<int>(words.size()), argv.data());
}

// Qt's options reach the second look when the platform in use does not take
// them (the X11 ones on any other platform); both looks let them pass, and
// both refuse the same faults.
TEST(CommandLine, BothLooksAgreeOnQtsOptions) {
    struct Case {
        QStringList words;
        std::optional<int> first, second;
    };
    const std::optional<int> accepted, refused = 2;
    const Case cases[] = {
        {{"-display", ":0"}, accepted, accepted},
        {{"--display=:1"}, accepted, accepted},
        {{"-name", "qzt", "-visual", "TrueColor", "-sync", "-cmap"}, accepted, accepted},
        {{"-geometry", "100x100+0+0", "-title", "x"}, accepted, accepted},
        {{"-display"}, refused, refused}, // its value is missing
        {{"-no-such-option"}, refused, refused},
        {{"stray"}, accepted, refused}, // words are looked at only the second time
    };
    for (const Case& c : cases) {
        const QStringList arguments = QStringList{"qzt617"} + c.words;
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(firstLook(arguments), c.first);
        EXPECT_EQ(app::refuseLeftoverArguments(arguments), c.second);
    }
}

// Made before the application object, the decoder decodes nothing ahead:
// QApplication's window system set-up changes the environment, which libjpeg
// reads on the decoder's thread. The window then decodes everything itself.
TEST(PictureDecoder, MadeBeforeTheApplicationObjectDecodesNothingAhead) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    PictureDecoder decoder;
    EXPECT_EQ(PictureDecoder::running(), &decoder);
    EXPECT_FALSE(decoder.takeLayoutPicture(QStringLiteral("splash")).has_value());
    EXPECT_FALSE(decoder.takeResourcePicture("one1004.so", "gif0", {}).has_value());
}

} // namespace
