#include "keypanel/core/key_table.h"
#include "keypanel/key_panel.h"

#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A layout picture that tells which code it was made for.
QImage pictureFor(const QString& code) {
    QImage image(1, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(keypanel::keyCodeValue(code.toStdString()), 1, 2));
    return image;
}

class KeyPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(1028, 737);
        front = QImage(195, 730, QImage::Format_RGB32);
        front.fill(Qt::darkGray);
        panel = new KeyPanel(window.get(), front, pictureFor);
    }

    std::unique_ptr<QWidget> window;
    QImage front;
    KeyPanel* panel = nullptr;
};

TEST_F(KeyPanelTest, ScrollBoxIsPlacedOnTheWindow) {
    QScrollArea* box = window->findChild<QScrollArea*>(QStringLiteral("ykqbox"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box, panel->scrollBox());
    EXPECT_EQ(box->parentWidget(), window.get());
    EXPECT_EQ(box->geometry(), QRect(146, 0, 197, 731));
    EXPECT_EQ(box->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(box->palette().color(QPalette::Window), QColor(53, 124, 168));
}

TEST_F(KeyPanelTest, FrontFillsTheBoxBelowTheKeys) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ImageControl* z = panel->front();
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->objectName(), QStringLiteral("z"));
    EXPECT_TRUE(z->stretch());
    EXPECT_EQ(z->picture(), front);
    EXPECT_EQ(z->size(), panel->scrollBox()->viewport()->size());
    // Children paint in creation order: the front first, keys above it.
    const QObjectList siblings = z->parentWidget()->children();
    EXPECT_LT(siblings.indexOf(z), siblings.indexOf(panel->buttons().front()));
}

TEST_F(KeyPanelTest, SeventyKeysFollowTheKeyTable) {
    const std::vector<IBtn*>& keys = panel->buttons();
    ASSERT_EQ(keys.size(), size_t(keypanel::kKeyCount));
    QSet<QString> codes;
    for (size_t i = 0; i < keys.size(); ++i) {
        const keypanel::KeyDefinition& def = keypanel::kKeyTable[i];
        const IBtn* key = keys[i];
        SCOPED_TRACE(key->objectName().toStdString());
        EXPECT_EQ(key->objectName().toStdString(), def.button);
        EXPECT_EQ(key->Code().toStdString(), def.code);
        EXPECT_EQ(key->Path().toStdString(), def.path);
        EXPECT_EQ(key->geometry(), QRect(def.left, def.top, def.width, def.height));
        EXPECT_EQ(key->cursorNumber(), IBtn::kButtonCursor);
        EXPECT_EQ(key->MoveDown(), 1);
        EXPECT_EQ(key->MoveRight(), 1);
        EXPECT_TRUE(key->IsEnable());
        EXPECT_TRUE(key->DisablePic().isNull());
        EXPECT_EQ(key->picture(), pictureFor(key->Code()));
        EXPECT_EQ(key->parentWidget(), panel->front()->parentWidget());
        codes.insert(key->Code());
    }
    EXPECT_EQ(codes.size(), keypanel::kKeyCount);
}

TEST_F(KeyPanelTest, LabelsAreKeptExactly) {
    EXPECT_EQ(panel->findByCode(QStringLiteral("04"))->Path(), QStringLiteral("TV/ AV/TV"));
    EXPECT_EQ(panel->findByCode(QStringLiteral("00"))->Path(), QStringLiteral("POWER/TV"));
    EXPECT_EQ(panel->findByCode(QStringLiteral("42"))->Path(), QStringLiteral("CBL/forward"));
}

TEST_F(KeyPanelTest, FindByCodeIsExact) {
    IBtn* last = panel->findByCode(QStringLiteral("85"));
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->objectName(), QStringLiteral("IBtn72"));
    EXPECT_EQ(panel->findByCode(QStringLiteral("86")), nullptr);
    EXPECT_EQ(panel->findByCode(QStringLiteral("5")), nullptr);
    EXPECT_EQ(panel->findByCode(QString()), nullptr);
}

TEST_F(KeyPanelTest, EveryKeyClickReachesOneSignal) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QSignalSpy spy(panel, &KeyPanel::keyClicked);
    for (const char* code : {"00", "44", "85"}) {
        IBtn* key = panel->findByCode(QString::fromLatin1(code));
        QTest::mouseClick(key, Qt::LeftButton, {}, {3, 3});
        ASSERT_EQ(spy.size(), 1) << code;
        EXPECT_EQ(spy.takeFirst().at(0).value<IBtn*>(), key);
    }
}

TEST_F(KeyPanelTest, WindowOwnsTheWidgets) {
    QPointer<QScrollArea> box = panel->scrollBox();
    QPointer<IBtn> key = panel->buttons().front();
    window.reset();
    EXPECT_TRUE(box.isNull());
    EXPECT_TRUE(key.isNull());
}

} // namespace
