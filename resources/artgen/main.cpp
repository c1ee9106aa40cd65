// Draws every picture of the program and writes it, encoded, into a folder
// of the build tree: the pictures compiled into the program and the contents
// of the five resource libraries.
#include "keypanel/core/key_table.h"
#include "platform/imaging/gif_codec.h"
#include "platform/imaging/jpeg_codec.h"
#include "resources/artgen/animation_art.h"
#include "resources/artgen/panel_art.h"
#include "resources/artgen/urc_art.h"
#include "resources/artgen/window_art.h"

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr int kJpegQuality = 92;

class Writer {
public:
    explicit Writer(QString root) : root_(std::move(root)) {}

    void gif(const QString& file, const QImage& image) { write(file, imaging::encodeGif(image)); }
    void jpeg(const QString& file, const QImage& image) {
        write(file, imaging::encodeJpeg(image, kJpegQuality));
    }
    void write(const QString& file, const QByteArray& bytes) {
        const QString path = root_ + u'/' + file;
        QDir().mkpath(QFileInfo(path).path());
        QSaveFile out(path);
        if (bytes.isEmpty() || !out.open(QIODevice::WriteOnly) ||
            out.write(bytes) != bytes.size() || !out.commit()) {
            std::fprintf(stderr, "qzt-artgen: cannot write %s\n", qPrintable(path));
            failed_ = true;
        }
        ++count_;
    }
    bool failed() const { return failed_; }
    int count() const { return count_; }

private:
    QString root_;
    bool failed_ = false;
    int count_ = 0;
};

const keypanel::KeyDefinition* keyWithValue(int value) {
    for (const keypanel::KeyDefinition& key : keypanel::kKeyTable)
        if (keypanel::keyCodeValue(key.code) == value)
            return &key;
    return nullptr;
}

void writeLayoutPictures(Writer& out, const QImage& urcCase, const QImage& urcFront) {
    using art::ButtonStyle, art::HintPanel, art::Icon;
    out.jpeg(u"layout/splash.jpg"_s, art::drawSplash(urcFront));
    out.jpeg(u"layout/background.jpg"_s, art::drawBackground());
    out.gif(u"layout/urc.gif"_s, urcFront);
    for (const keypanel::KeyDefinition& key : keypanel::kKeyTable)
        out.gif(u"layout/key_"_s + QString::fromLatin1(key.code.data(), key.code.size()) +
                    u".gif"_s,
                art::drawKeyPicture(urcCase, urcFront, key, art::KeyLook::Plain));
    out.jpeg(u"layout/learn_start.jpg"_s,
             art::drawCommandButton(u"Start to learn"_s, ButtonStyle::Action));
    out.jpeg(u"layout/learn_stop.jpg"_s,
             art::drawCommandButton(u"Stop learning"_s, ButtonStyle::Stop));
    out.gif(u"layout/icon_help.gif"_s, art::drawIcon(Icon::Help));
    out.gif(u"layout/icon_update.gif"_s, art::drawIcon(Icon::Update));
    out.gif(u"layout/icon_exit.gif"_s, art::drawIcon(Icon::Exit));
    out.gif(u"layout/hint_idle.gif"_s, art::drawHintPanel(HintPanel::Idle));
    out.gif(u"layout/hint_idle_learned.gif"_s, art::drawHintPanel(HintPanel::IdleLearned));
    out.gif(u"layout/hint_learning.gif"_s, art::drawHintPanel(HintPanel::Learning));
    out.gif(u"layout/hint_deleting.gif"_s, art::drawHintPanel(HintPanel::Deleting));
}

void writeKeyBanks(Writer& out, const QImage& urcCase, const QImage& urcFront) {
    struct Bank {
        const char* library;
        art::KeyLook look;
    };
    const Bank banks[] = {{"one1004", art::KeyLook::Plain},
                          {"sne1004", art::KeyLook::Learned},
                          {"fne1004", art::KeyLook::Chosen},
                          {"dne1004", art::KeyLook::Preset}};
    const QByteArray neutral = imaging::encodeGif(art::drawNeutralPicture());
    for (const Bank& bank : banks) {
        for (int n = 0; n < keypanel::kBankSize; ++n) {
            const QString file =
                QString::fromLatin1(bank.library) + u"/gif"_s + QString::number(n) + u".gif"_s;
            const keypanel::KeyDefinition* key = keyWithValue(n);
            if (key)
                out.gif(file, art::drawKeyPicture(urcCase, urcFront, *key, bank.look));
            else
                out.write(file, neutral);
        }
    }
}

void writeSkins(Writer& out) {
    using art::ButtonStyle;
    out.write(u"bne1004/flash1.gif"_s,
              imaging::encodeAnimatedGif(art::drawLearningAnimation(), art::kAnimationDelayCs, 0));
    out.jpeg(u"bne1004/jpgred.jpg"_s,
             art::drawColourSwatch(art::coloursOf(art::KeyLook::Learned).bottom));
    out.jpeg(u"bne1004/jpgblue.jpg"_s,
             art::drawColourSwatch(art::coloursOf(art::KeyLook::Plain).bottom));
    out.jpeg(u"bne1004/jpggreen.jpg"_s,
             art::drawColourSwatch(art::coloursOf(art::KeyLook::Preset).bottom));
    out.jpeg(u"bne1004/gifkolvar.jpg"_s, art::drawLogoPicture());
    out.jpeg(u"bne1004/jpgjingtai.jpg"_s, art::drawWaitingPicture());
    out.jpeg(u"bne1004/stopdelete.jpg"_s,
             art::drawCommandButton(u"Stop deleting"_s, ButtonStyle::Stop));
    out.jpeg(u"bne1004/deletehui.jpg"_s, art::drawCommandButton(u"Delete"_s, ButtonStyle::Greyed));
    out.jpeg(u"bne1004/delete.jpg"_s, art::drawCommandButton(u"Delete"_s, ButtonStyle::Action));
    out.jpeg(u"bne1004/clear.jpg"_s, art::drawCommandButton(u"Clear"_s, ButtonStyle::Action));
    out.jpeg(u"bne1004/clearhui.jpg"_s, art::drawCommandButton(u"Clear"_s, ButtonStyle::Greyed));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qzt-artgen OUTPUT-FOLDER\n");
        return 2;
    }
    // Fonts need a GUI application, never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Writer out(QString::fromLocal8Bit(argv[1]));
    const QImage urcCase = art::drawUrcCase();
    const QImage urcFront = art::drawUrcFront(urcCase);
    writeLayoutPictures(out, urcCase, urcFront);
    writeKeyBanks(out, urcCase, urcFront);
    writeSkins(out);
    if (out.failed())
        return EXIT_FAILURE;
    std::printf("qzt-artgen: %d pictures written to %s\n", out.count(), argv[1]);
    return EXIT_SUCCESS;
}
