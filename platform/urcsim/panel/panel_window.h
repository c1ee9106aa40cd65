#pragma once
// The world outside the program, on one small window: the URC's USB cable
// (a switch that shows whether it is plugged in) and an original remote whose
// keys, clicked, are pressed in front of the URC - exactly as `urc-sim press`
// does it.
#include "platform/urcsim/remote_keys.h"

#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <string>

class QLabel;

namespace urcsim {

class PanelWindow : public QWidget {
    Q_OBJECT
public:
    // An empty path means the per-user default socket, looked up on each call
    // so that a server started later is found.
    explicit PanelWindow(std::string socketPath, QWidget* parent = nullptr);

    QPushButton* cableSwitch() const { return cableSwitch_; }
    // The button of a remote key by its RemoteKey::name; nullptr when unknown.
    QPushButton* keyButton(std::string_view name) const;
    QString cableText() const;
    QString messageText() const;

    static constexpr int kPollMs = 500;

    // Puts the window's frame in the bottom-right corner of its screen's free
    // area (clear of panels and docks).
    void placeAtScreenCorner();

public slots:
    // Reads the server's status and shows the cable and the key held.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    QWidget* makeCableBox();
    QWidget* makeRemote();
    void pressKey(const RemoteKey& key);
    void switchCable(bool plugIn);
    void showCable(const std::string& plugged);
    void showMessage(const QString& text);

    std::string socketPath_;
    QPushButton* cableSwitch_ = nullptr;
    QLabel* cableState_ = nullptr;
    QLabel* heldKey_ = nullptr;
    QLabel* message_ = nullptr;
    std::vector<QPushButton*> keys_;
    QTimer poll_;
    static constexpr int kFrameWaitMs = 2000;
    bool awaitingFrame_ = true;
};

} // namespace urcsim
