// The main window's first showing, its closing, and the update and exit
// buttons, on the real window with a scripted URC, boxes and display.
#include "app/maintarnvik.h"
#include "app/picture_decoder.h"
#include "keypanel/core/key_table.h"
#include "platform/imaging/gif_codec.h"
#include "platform/reslib/resource_library.h"
#include "tests/support/fake_display.h"
#include "tests/support/scripted_message_boxes.h"
#include "tests/support/scripted_urc.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::FakeDisplay;
using testsupport::ScriptedMessageBoxes;
using testsupport::ScriptedUrc;

namespace {

const QString kLoadFailed = QStringLiteral("load picture failly");

QString programFolder() {
    return QString::fromStdString(reslib::programFolder());
}

void waitUntil(const std::function<bool()>& condition, int ms = 2000) {
    for (int waited = 0; waited < ms && !condition(); waited += 10)
        QTest::qWait(10);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// The pointer passing over a widget, with no button held.
void hover(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

struct Window {
    ScriptedUrc urc;
    testsupport::TestImageLayout layout = testsupport::buildTestImage(urc);
    ScriptedMessageBoxes boxes;
    FakeDisplay display;
    std::unique_ptr<Tmaintarnvik> window;

    explicit Window(QSize screen = {1280, 1024}, const QString& resources = {}) : display(screen) {
        create(resources);
    }
    void create(const QString& resources = {}) {
        window = std::make_unique<Tmaintarnvik>(urc);
        window->resourceFolder = resources;
    }
    void learnKey(int index) { urc.setBytes(layout.keyTable + 22 * index, {0xC0}); }
    void show() {
        window->show();
        QTest::qWait(20);
    }
};

TEST(WindowShow, LoadsEveryPictureAndShowsTheIdlePanels) {
    Window w;
    w.show();
    Tmaintarnvik& win = *w.window;
    EXPECT_TRUE(w.boxes.boxes().empty());
    for (int slot = 1; slot <= 672; ++slot)
        ASSERT_FALSE(win.KeyPictures.at(slot).isNull()) << slot;
    EXPECT_EQ(win.lab_softver->text(), "V 2.2");
    EXPECT_EQ(win.Imagehint->picture(), win.skins.gifkolvar);
    EXPECT_TRUE(win.Image8->isVisible());
    EXPECT_FALSE(win.Image4->isVisible());
    EXPECT_FALSE(win.Image5->isVisible());
    EXPECT_FALSE(win.Image7->isVisible());
    EXPECT_FALSE(win.delstudykey->isEnabled());
    EXPECT_EQ(win.delstudykey->picture(), win.skins.deletehui);
    EXPECT_EQ(win.delallstudykey->picture(), win.skins.clearhui);
    EXPECT_FALSE(win.LinkThread.isNull());
    waitUntil([&] { return win.lab_usbstate->text() == " Connected"; });
    EXPECT_EQ(win.lab_usbstate->text(), " Connected");
}

TEST(WindowShow, LearnedKeysShowTheirPictureAndEnableDeleting) {
    Window w;
    w.learnKey(5); // code 05, "TV/MUTE"
    w.create();
    w.show();
    Tmaintarnvik& win = *w.window;
    IBtn* mute = win.keyButtons()[5];
    ASSERT_EQ(mute->Path(), "TV/MUTE");
    EXPECT_EQ(mute->picture(), win.KeyPictures.at(keypanel::kLearnedBank + 5));
    EXPECT_FALSE(mute->IsEnable());
    EXPECT_TRUE(win.Image4->isVisible());
    EXPECT_FALSE(win.Image8->isVisible());
    EXPECT_TRUE(win.delstudykey->isEnabled());
    EXPECT_EQ(win.delstudykey->picture(), win.skins.delete_);
    EXPECT_EQ(win.delallstudykey->picture(), win.skins.clear);
}

TEST(WindowShow, TheAnimationFileIsTheMovieResourceAndIsReplacedAtEveryStart) {
    const QString path = Tmaintarnvik::animationFile();
    ASSERT_FALSE(path.isEmpty());
    writeFile(path, "stale movie from an earlier run");
    Window w;
    w.show();
    reslib::ResourceLibrary skins("bne1004.so");
    ASSERT_TRUE(skins.isLoaded());
    EXPECT_EQ(readFile(path), skins.read("flash1").value());
    w.window->close();
    EXPECT_FALSE(QFile::exists(path)) << "a normal close deletes the animation file";
}

TEST(WindowShow, AMissingLibraryReadsNoPictureAndClosesTheWindow) {
    const QString path = Tmaintarnvik::animationFile();
    writeFile(path, "left from an earlier run");
    Window w({1280, 1024}, programFolder() + "/missing-dne1004");
    w.show();
    EXPECT_EQ(w.boxes.lastText(), kLoadFailed);
    EXPECT_TRUE(w.window->StartFailed);
    EXPECT_EQ(w.window->KeyPictures.count(), 0);
    waitUntil([&] { return !w.window->isVisible(); });
    EXPECT_FALSE(w.window->isVisible());
    EXPECT_EQ(readFile(path), "left from an earlier run");
}

// fne1004.so of that folder lacks gif100: the banks are filled up to it.
void expectBanksStoppedAtGif100(const Window& w) {
    const KeyPictureTable& pictures = w.window->KeyPictures;
    EXPECT_EQ(w.boxes.lastText(), kLoadFailed);
    auto filled = [&](int first, int last) {
        for (int slot = first; slot <= last; ++slot)
            if (pictures.at(slot).isNull())
                return false;
        return true;
    };
    EXPECT_TRUE(filled(1, 101));
    EXPECT_TRUE(filled(169, 269));
    EXPECT_TRUE(filled(337, 436));
    EXPECT_TRUE(filled(505, 604));
    EXPECT_TRUE(pictures.exists(437));
    EXPECT_TRUE(pictures.at(437).isNull());
    EXPECT_TRUE(pictures.exists(605));
    EXPECT_TRUE(pictures.at(605).isNull());
    EXPECT_FALSE(pictures.exists(102));
    EXPECT_FALSE(pictures.exists(606));
}

TEST(WindowShow, AMissingKeyPictureStopsTheBanksWhereTheyAre) {
    Window w({1280, 1024}, programFolder() + "/broken-gif100");
    w.show();
    expectBanksStoppedAtGif100(w);
}

// Pictures decoded ahead on their own thread change nothing the window shows,
// writes or says, nor where it stops, whichever libraries the decoder read.
TEST(PicturesDecodedAhead, LeaveTheShowHandlingAsItWas) {
    const QString broken = programFolder() + "/broken-gif100";
    const QString missing = programFolder() + "/missing-dne1004";
    struct Case {
        QString decoderFolder, windowFolder;
        enum { AllLoaded, StoppedAtGif100, LibraryMissing } outcome;
    };
    const Case cases[] = {{{}, {}, Case::AllLoaded},
                          {broken, {}, Case::AllLoaded},
                          {{}, broken, Case::StoppedAtGif100},
                          {broken, broken, Case::StoppedAtGif100},
                          {{}, missing, Case::LibraryMissing}};
    const QString path = Tmaintarnvik::animationFile();
    const reslib::ResourceLibrary plain("one1004.so");
    for (const Case& c : cases) {
        SCOPED_TRACE((c.decoderFolder + " / " + c.windowFolder).toStdString());
        writeFile(path, "left from an earlier run");
        PictureDecoder decoder(c.decoderFolder);
        Window w({1280, 1024}, c.windowFolder);
        EXPECT_EQ(readFile(path), "left from an earlier run"); // written by the show alone
        w.show();
        if (c.outcome == Case::StoppedAtGif100) {
            expectBanksStoppedAtGif100(w);
        } else if (c.outcome == Case::LibraryMissing) {
            EXPECT_EQ(w.boxes.lastText(), kLoadFailed);
            EXPECT_EQ(readFile(path), "left from an earlier run");
        } else {
            EXPECT_TRUE(w.boxes.boxes().empty());
            for (int n : {0, 100, 167})
                EXPECT_EQ(w.window->KeyPictures.at(keypanel::kPlainBank + n),
                          imaging::decodeGif(*plain.read("gif" + std::to_string(n))));
            EXPECT_FALSE(w.window->KeyPictures.at(672).isNull());
            EXPECT_FALSE(w.window->skins.clearhui.isNull());
            EXPECT_NE(readFile(path), "left from an earlier run");
        }
        w.window->close();
    }
}

// A folder of the test's own holding copies of the five libraries.
struct LibraryFolder {
    QTemporaryDir dir;
    LibraryFolder() {
        for (const char* name :
             {"one1004.so", "sne1004.so", "fne1004.so", "bne1004.so", "dne1004.so"})
            EXPECT_TRUE(QFile::copy(programFolder() + "/" + name, path(name))) << name;
    }
    QString path(const char* name = nullptr) const {
        return name ? dir.filePath(QLatin1String(name)) : dir.path();
    }
    // `name` becomes a copy of the program's `by`, as an upgrade replaces a
    // file: a new one renamed over it.
    void replace(const char* name, const char* by) const {
        const QString fresh = path(name) + ".new";
        ASSERT_TRUE(QFile::copy(programFolder() + "/" + by, fresh));
        ASSERT_TRUE(QFile::remove(path(name)));
        ASSERT_TRUE(QFile::rename(fresh, path(name)));
    }
};

// The plain bank holds the pictures of the program's library `library`.
void expectPlainBankFrom(const Window& w, const char* library) {
    const reslib::ResourceLibrary source(library);
    ASSERT_TRUE(source.isLoaded());
    EXPECT_TRUE(w.boxes.boxes().empty());
    for (int n : {0, 100, 167})
        EXPECT_EQ(w.window->KeyPictures.at(keypanel::kPlainBank + n),
                  imaging::decodeGif(*source.read("gif" + std::to_string(n))))
            << library << " gif" << n;
}

// The decoder reads the libraries once, early; the window shows what they
// hold when it is shown, whatever the decoder read.
TEST(PicturesDecodedAhead, TheWindowShowsTheLibrariesAsTheyAreWhenShown) {
    enum Change { DecoderReadOthers, Replaced, Removed, PutInPlace };
    const QByteArray lastSkin = *reslib::ResourceLibrary("bne1004.so").read("clearhui");
    for (Change change : {DecoderReadOthers, Replaced, Removed, PutInPlace}) {
        SCOPED_TRACE(change);
        LibraryFolder folder;
        if (change == DecoderReadOthers)
            folder.replace("one1004.so", "sne1004.so");
        if (change == PutInPlace) {
            ASSERT_TRUE(QFile::remove(folder.path("dne1004.so")));
        }
        PictureDecoder decoder(folder.path());
        // The last picture: once it is decoded, nothing more is read. (With
        // a library missing at start-up the decoder reads nothing at all.)
        EXPECT_EQ(decoder.takeResourcePicture("bne1004.so", "clearhui", lastSkin).has_value(),
                  change != PutInPlace);
        if (change == Replaced)
            folder.replace("one1004.so", "sne1004.so");
        if (change == Removed) {
            ASSERT_TRUE(QFile::remove(folder.path("dne1004.so")));
        }
        if (change == PutInPlace) {
            ASSERT_TRUE(QFile::copy(programFolder() + "/dne1004.so", folder.path("dne1004.so")));
        }

        Window w({1280, 1024}, change == DecoderReadOthers ? QString() : folder.path());
        w.show();
        if (change == Removed)
            EXPECT_EQ(w.boxes.lastText(), kLoadFailed);
        else
            expectPlainBankFrom(w, change == Replaced ? "sne1004.so" : "one1004.so");
        w.window->close();
    }
}

TEST(WindowShow, AFailedStartClosesWithoutPicturesMonitorOrDisplayCheck) {
    const QString path = Tmaintarnvik::animationFile();
    writeFile(path, "kept after a failed start");
    Window w({800, 600});
    w.urc.setVersionText("");
    w.boxes.clear();
    w.create();
    ASSERT_TRUE(w.window->StartFailed);
    w.show();
    waitUntil([&] { return !w.window->isVisible(); });
    EXPECT_FALSE(w.window->isVisible());
    EXPECT_EQ(w.window->KeyPictures.count(), 0);
    EXPECT_TRUE(w.window->LinkThread.isNull());
    EXPECT_TRUE(w.display.switches.empty());
    EXPECT_EQ(w.boxes.boxes().size(), 1u); // the version message only
    EXPECT_EQ(readFile(path), "kept after a failed start");
}

TEST(DisplayCheck, ANarrowScreenIsToldAndSwitchedForTheSession) {
    Window w({800, 600});
    w.show();
    ASSERT_FALSE(w.boxes.boxes().empty());
    EXPECT_EQ(w.boxes.boxes()[0].text, "Current differentiate rate of your display is800*600\r\n"
                                       "To run this software, please change it to  1024*768");
    ASSERT_EQ(w.display.switches.size(), 1u);
    EXPECT_EQ(w.display.switches[0], QSize(1024, 768));
}

TEST(DisplayCheck, AWideEnoughScreenIsLeftAlone) {
    for (QSize screen : {QSize(1024, 768), QSize(1024, 600), QSize(1920, 1080)}) {
        Window w(screen);
        w.show();
        EXPECT_TRUE(w.boxes.boxes().empty());
        EXPECT_TRUE(w.display.switches.empty());
    }
}

TEST(Closing, RefusedWhileLearningWithTheUrcConnected) {
    Window w;
    w.show();
    Tmaintarnvik& win = *w.window;
    win.LearnMode = true;
    win.IBtn79Click();
    EXPECT_EQ(w.boxes.lastText(), "It is learning now! Please stop learning first if you want to "
                                  "quit operational system！");
    EXPECT_TRUE(win.isVisible());
    EXPECT_FALSE(win.Closing);
    EXPECT_FALSE(win.close()) << "the window system's close request meets the same refusal";
    EXPECT_TRUE(win.isVisible());

    w.urc.scriptLinkStates({false});
    win.IBtn79Click();
    EXPECT_FALSE(win.isVisible());
    EXPECT_TRUE(win.Closing);
}

TEST(Closing, TheLinkIsTestedFirstAlsoWhenNotLearning) {
    Window w; // not shown, so no link monitor tests the link beside it
    w.urc.clearCalls();
    EXPECT_TRUE(w.window->close());
    const auto calls = w.urc.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].function, "link_state");
}

TEST(Closing, TheMonitorEndingOnItsOwnClosesTheWindow) {
    Window w;
    w.show();
    w.window->LinkMonitorEnded();
    EXPECT_FALSE(w.window->isVisible());
    EXPECT_TRUE(w.window->LinkThread.isNull());
}

TEST(UpdateButton, SaysWhatIsGoingOnAndChangesNothing) {
    struct Case {
        bool learning;
        bool deleting;
        const char* text;
    };
    const Case cases[] = {
        {true, false, "It is learning now! Please quit learning mode before updating！"},
        {true, true, "It is learning now! Please quit learning mode before updating！"},
        {false, true, "It is deleting now! Please quit deleting mode before updating"},
        {false, false, "Your software do not need to update"},
    };
    Window w;
    w.show();
    for (const auto& c : cases) {
        w.window->LearnMode = c.learning;
        w.window->DeleteMode = c.deleting;
        QTest::mouseClick(w.window->updateibtn, Qt::LeftButton);
        EXPECT_EQ(w.boxes.lastText(), QString::fromUtf8(c.text));
        EXPECT_EQ(w.window->LearnMode, c.learning);
        EXPECT_EQ(w.window->DeleteMode, c.deleting);
    }
}

TEST(HoverHandlers, CommandButtonsKeepTheHandCursorKeysDoNot) {
    Window w;
    w.learnKey(0); // so that the delete buttons are enabled
    w.create();
    w.show();
    Tmaintarnvik& win = *w.window;
    EXPECT_NE(win.delstudykey->cursor().shape(), Qt::PointingHandCursor);
    hover(win.delstudykey);
    hover(win.keyButtons()[0]);
    EXPECT_EQ(win.delstudykey->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(win.keyButtons()[0]->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(win.helpibtn->toolTip(), "HELP");
    EXPECT_EQ(win.updateibtn->toolTip(), "UPDATE");
    EXPECT_EQ(win.IBtn79->toolTip(), "EXIT");
    EXPECT_FALSE(win.helpibtn->isVisible());
}

} // namespace
