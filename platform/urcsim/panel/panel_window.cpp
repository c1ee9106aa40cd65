#include "platform/urcsim/panel/panel_window.h"

#include "platform/urcsim/client.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace urcsim {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

constexpr int kRemoteColumns = 6;

} // namespace

PanelWindow::PanelWindow(std::string socketPath, QWidget* parent)
    : QWidget(parent), socketPath_(std::move(socketPath)) {
    setWindowTitle("URC emulator");
    // The program's own window is frameless and as wide as the screen; the
    // panel stays above it, in a corner, so that it is seen at all.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeCableBox());
    layout->addWidget(makeRemote());
    message_ = new QLabel(this);
    message_->setObjectName("message");
    message_->setWordWrap(true);
    layout->addWidget(message_);
    connect(&poll_, &QTimer::timeout, this, &PanelWindow::refresh);
    poll_.start(kPollMs);
    refresh();
    placeAtScreenCorner();
}

void PanelWindow::placeAtScreenCorner() {
    const QScreen* screen = this->screen();
    if (screen == nullptr)
        return;
    if (!testAttribute(Qt::WA_Resized))
        adjustSize(); // the size show() would give it
    // Before the window manager has framed the window, the frame is the window.
    const QRect area = screen->availableGeometry();
    const QSize frame = frameGeometry().size();
    move(area.right() + 1 - frame.width(), area.bottom() + 1 - frame.height());
}

void PanelWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The window manager frames the window as it is shown or a moment later;
    // the move that framing causes is corrected, later moves are the user's.
    if (awaitingFrame_)
        QTimer::singleShot(kFrameWaitMs, this, [this] { awaitingFrame_ = false; });
}

void PanelWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!awaitingFrame_ || frameGeometry().size() == size())
        return;
    awaitingFrame_ = false;
    placeAtScreenCorner();
}

QWidget* PanelWindow::makeCableBox() {
    auto* box = new QGroupBox("USB cable", this);
    auto* layout = new QVBoxLayout(box);
    cableSwitch_ = new QPushButton(box);
    cableSwitch_->setObjectName("cable");
    cableSwitch_->setCheckable(true);
    // The click's new checked state is the wish; refresh shows what the URC says.
    connect(cableSwitch_, &QPushButton::clicked, this, &PanelWindow::switchCable);
    cableState_ = new QLabel(box);
    cableState_->setObjectName("cableState");
    heldKey_ = new QLabel(box);
    heldKey_->setObjectName("heldKey");
    layout->addWidget(cableSwitch_);
    layout->addWidget(cableState_);
    layout->addWidget(heldKey_);
    return box;
}

QWidget* PanelWindow::makeRemote() {
    auto* box = new QGroupBox("Original remote (TV / cable box)", this);
    auto* grid = new QGridLayout(box);
    int index = 0;
    for (const RemoteKey& key : remoteKeys()) {
        auto* button = new QPushButton(text(std::string(key.label)), box);
        button->setObjectName(text("key_" + std::string(key.name)));
        button->setToolTip(text(remoteKeySignal(key)));
        connect(button, &QPushButton::clicked, this, [this, &key] { pressKey(key); });
        grid->addWidget(button, index / kRemoteColumns, index % kRemoteColumns);
        keys_.push_back(button);
        ++index;
    }
    return box;
}

QPushButton* PanelWindow::keyButton(std::string_view name) const {
    const QString objectName = text("key_" + std::string(name));
    for (QPushButton* button : keys_)
        if (button->objectName() == objectName)
            return button;
    return nullptr;
}

QString PanelWindow::cableText() const {
    return cableState_->text();
}

QString PanelWindow::messageText() const {
    return message_->text();
}

void PanelWindow::pressKey(const RemoteKey& key) {
    const CaptureText capture = remoteKeyCapture(key);
    if (!capture.error.empty()) {
        showMessage(text(capture.error));
        return;
    }
    const ServerAnswer answer = askServer(socketPath_, pressRequest(capture.hex, kDefaultHoldMs));
    const QString label = text(std::string(key.label));
    if (answer.ok())
        showMessage(label + " (" + text(remoteKeySignal(key)) +
                    "): " + text(pressOutcome(answer.text, kDefaultHoldMs)));
    else
        showMessage(label + " was not pressed: " + text(answer.text));
    refresh();
}

void PanelWindow::switchCable(bool plugIn) {
    const ServerAnswer answer = askServer(socketPath_, plugIn ? "PLUG" : "UNPLUG");
    if (!answer.ok())
        showMessage("The cable could not be switched: " + text(answer.text));
    else
        showMessage(plugIn ? "Cable plugged in." : "Cable pulled out.");
    refresh();
}

void PanelWindow::refresh() {
    const ServerAnswer answer = askServer(socketPath_, "STATUS");
    if (!answer.ok()) {
        showCable("");
        cableState_->setText("No URC: " + text(answer.text));
        heldKey_->clear();
        return;
    }
    const StatusFields fields = statusFields(answer.text);
    showCable(statusField(fields, "plugged"));
    heldKey_->setText("Key in front of the URC: " + text(statusField(fields, "pending key")));
}

void PanelWindow::showCable(const std::string& plugged) {
    const bool known = plugged == "yes" || plugged == "no";
    const bool in = plugged == "yes";
    cableSwitch_->setEnabled(known);
    cableSwitch_->setChecked(in);
    cableSwitch_->setText(!known ? "Cable: unknown"
                          : in   ? "Pull the cable out"
                                 : "Plug the cable in");
    cableState_->setText(!known ? "" : in ? "The URC is plugged in." : "The URC is unplugged.");
}

void PanelWindow::showMessage(const QString& message) {
    message_->setText(message);
}

} // namespace urcsim
