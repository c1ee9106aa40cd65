#pragma once
// The main window: the front of the URC with its keys, the status line, hint
// panels and command buttons. Its state is the program's picture of the URC
// (the tables read at start-up) and the state of learning and deleting.
#include "device/core/urc_tables.h"
#include "device/urc_library.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>

class Tmaintarnvik : public QWidget, public device::UrcTables {
    Q_OBJECT
public:
    // Creating the window runs FormCreate: the handshake and start-up reading.
    explicit Tmaintarnvik(device::UrcLibrary& device, QWidget* parent = nullptr);
    ~Tmaintarnvik() override;

    // Creation handler: waits for the URC, checks it and reads its tables.
    void FormCreate();

    // Set on any start-up failure; the window closes when first shown.
    bool StartFailed = false;
    // Set once closing has been allowed.
    bool Closing = false;

    QLabel* lab_usbstate = nullptr;
    QLabel* lab_ykqtype = nullptr;
    QLabel* lab_gjbb = nullptr;
    QLabel* lab_softver = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createLayout();
    bool waitForUrc();

    device::UrcLibrary& device_;
};
