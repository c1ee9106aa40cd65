// The emulator's front panel, offscreen, against a real `urc-sim serve`.
#include "platform/urcsim/panel/panel_window.h"
#include "tests/support/server_fixture.h"

#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <tovqel.h>

namespace {

using urctest::runUrcSim;
using urctest::ServerProcess;

std::string status() {
    std::string output;
    runUrcSim("status", &output);
    return output;
}

class PanelWindowTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.started()) << "urc-sim serve did not start"; }
    ServerProcess server;
};

TEST_F(PanelWindowTest, ShowsItsTitleTheCableAndADozenKeys) {
    urcsim::PanelWindow panel(server.socketPath());
    EXPECT_EQ(panel.windowTitle(), "URC emulator");
    EXPECT_TRUE(panel.cableSwitch()->isEnabled());
    EXPECT_TRUE(panel.cableSwitch()->isChecked());
    EXPECT_EQ(panel.cableText(), "The URC is plugged in.");
    for (const auto& key : urcsim::remoteKeys()) {
        auto* button = panel.keyButton(key.name);
        ASSERT_NE(button, nullptr) << key.name;
        EXPECT_EQ(button->text().toStdString(), key.label);
    }
    EXPECT_EQ(panel.keyButton("nonexistent"), nullptr);
}

TEST_F(PanelWindowTest, OpensAboveOtherWindowsInTheScreensBottomRightCorner) {
    urcsim::PanelWindow panel(server.socketPath());
    EXPECT_TRUE(panel.windowFlags() & Qt::WindowStaysOnTopHint);
    const QRect area = panel.screen()->availableGeometry();
    EXPECT_EQ(panel.frameGeometry().bottomRight(), area.bottomRight());
    panel.show();
    QTest::qWait(50);
    EXPECT_EQ(panel.frameGeometry().bottomRight(), area.bottomRight());
    EXPECT_TRUE(area.contains(panel.frameGeometry()));
}

TEST_F(PanelWindowTest, ClickingAKeyHoldsItInFrontOfTheUrc) {
    urcsim::PanelWindow panel(server.socketPath());
    ASSERT_NE(status().find("pending key: none"), std::string::npos);
    QTest::mouseClick(panel.keyButton("power"), Qt::LeftButton);
    EXPECT_NE(status().find("pending key: held"), std::string::npos) << status();
    EXPECT_TRUE(panel.messageText().startsWith("Power (nec 0x04 0x08): key held"))
        << panel.messageText().toStdString();
}

TEST(PanelWindowKeys, AKeyClickedInCaptureModeIsCapturedAsRendered) {
    for (const auto& key : urcsim::remoteKeys()) {
        // A fresh URC each time: a clicked key stays held for a while.
        ServerProcess server;
        ASSERT_TRUE(server.started());
        urcsim::PanelWindow panel(server.socketPath());
        ASSERT_TRUE(SetCodeCarrierWave());
        QTest::mouseClick(panel.keyButton(key.name), Qt::LeftButton);
        std::vector<char> buffer(TOVQEL_CAPTURE_BUFFER + 1, 0);
        ASSERT_TRUE(RCollectCodeInfo(buffer.data())) << key.name;
        EXPECT_EQ(std::string(buffer.data()), urcsim::remoteKeyCapture(key).hex) << key.name;
        EXPECT_TRUE(panel.messageText().endsWith("the URC captured it"))
            << panel.messageText().toStdString();
    }
}

TEST_F(PanelWindowTest, TheSwitchUnplugsAndPlugsTheCable) {
    urcsim::PanelWindow panel(server.socketPath());
    QTest::mouseClick(panel.cableSwitch(), Qt::LeftButton);
    EXPECT_NE(status().find("plugged: no"), std::string::npos) << status();
    EXPECT_FALSE(panel.cableSwitch()->isChecked());
    EXPECT_EQ(panel.cableText(), "The URC is unplugged.");
    QTest::mouseClick(panel.cableSwitch(), Qt::LeftButton);
    EXPECT_NE(status().find("plugged: yes"), std::string::npos) << status();
    EXPECT_TRUE(panel.cableSwitch()->isChecked());
}

TEST_F(PanelWindowTest, FollowsACablePulledElsewhere) {
    urcsim::PanelWindow panel(server.socketPath());
    ASSERT_EQ(runUrcSim("unplug"), 0);
    panel.refresh();
    EXPECT_FALSE(panel.cableSwitch()->isChecked());
    EXPECT_EQ(panel.cableText(), "The URC is unplugged.");
}

TEST_F(PanelWindowTest, WithoutAServerItSaysSoAndKeepsWorking) {
    ASSERT_EQ(server.stop(), 0);
    urcsim::PanelWindow panel(server.socketPath());
    EXPECT_FALSE(panel.cableSwitch()->isEnabled());
    EXPECT_TRUE(panel.cableText().startsWith("No URC: no URC server is running on"))
        << panel.cableText().toStdString();
    QTest::mouseClick(panel.keyButton("mute"), Qt::LeftButton);
    EXPECT_TRUE(panel.messageText().startsWith("Mute was not pressed: no URC server"))
        << panel.messageText().toStdString();
}

} // namespace
