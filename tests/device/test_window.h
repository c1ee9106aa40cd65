#pragma once
// A stand-in for the main window: the link-state label, the key panel and the
// three command buttons, and a log of what the monitor asked of it.
#include "device/link_monitor_host.h"
#include "device/linkstathread.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QThread>
#include <array>
#include <functional>
#include <gtest/gtest.h>

class TestWindow : public QWidget, public device::LinkMonitorHost {
public:
    // endedCount outlives the window, so tests can check the handler never
    // ran after the window was destroyed.
    explicit TestWindow(int& endedCount) : ended_(endedCount) {
        usbState = new QLabel(this);
        panel = new QWidget(this);
        for (auto& button : commands)
            button = new QPushButton(this);
    }
    ~TestWindow() override {
        if (deleteMonitorFirst)
            delete monitor;
    }

    device::linkstate* startMonitor(device::UrcLibrary& urc, const std::string& identity) {
        monitor = new device::linkstate(urc, identity, *this, this);
        monitor->start();
        return monitor;
    }

    void showLinkState(const QString& text) override {
        expectWindowThread();
        usbState->setText(text);
        log << QStringLiteral("label") + text;
    }
    void lockPanel() override {
        expectWindowThread();
        panel->hide();
        for (auto* button : commands)
            button->setEnabled(false);
        log << QStringLiteral("lock");
    }
    void unlockPanel() override {
        expectWindowThread();
        panel->show();
        for (auto* button : commands)
            button->setEnabled(true);
        log << QStringLiteral("unlock");
    }
    void linkMonitorEnded() override {
        expectWindowThread();
        ++ended_;
        // The monitor's work has returned before its end is reported.
        if (monitor)
            runHadReturned = monitor->wait(2000);
        log << QStringLiteral("ended");
        if (onEnded)
            onEnded();
    }

    bool panelLocked() const {
        bool allDisabled = true;
        for (auto* button : commands)
            allDisabled = allDisabled && !button->isEnabled();
        return panel->isHidden() && allDisabled;
    }
    bool panelOpen() const {
        bool allEnabled = true;
        for (auto* button : commands)
            allEnabled = allEnabled && button->isEnabled();
        return !panel->isHidden() && allEnabled;
    }

    QLabel* usbState;
    QWidget* panel;
    std::array<QPushButton*, 3> commands{};
    QStringList log;
    QPointer<device::linkstate> monitor;
    std::function<void()> onEnded;
    bool deleteMonitorFirst = true;
    bool runHadReturned = false;

private:
    static void expectWindowThread() {
        EXPECT_EQ(QThread::currentThread(), QApplication::instance()->thread());
    }
    int& ended_;
};
