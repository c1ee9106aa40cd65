#include "app/maintarnvik.h"

#include <QMetaObject>

Tmaintarnvik::Tmaintarnvik(device::UrcLibrary& device, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), device_(device) {
    setObjectName(QStringLiteral("maintarnvik"));
    createLayout();
    FormCreate();
}

Tmaintarnvik::~Tmaintarnvik() = default;

void Tmaintarnvik::createLayout() {
    setFixedSize(1028, 737);
    auto label = [this](const char* name, int x, int y, int w, int h) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(x, y, w, h);
        return l;
    };
    lab_usbstate = label("lab_usbstate", 657, 226, 228, 15);
    lab_ykqtype = label("lab_ykqtype", 658, 118, 225, 15);
    lab_ykqtype->setText(QStringLiteral(" "));
    lab_gjbb = label("lab_gjbb", 658, 188, 221, 17);
    lab_softver = label("lab_softver", 657, 152, 225, 17);
    lab_softver->setText(QStringLiteral(" "));
    Memo1 = new QPlainTextEdit(QStringLiteral("Memo1"), this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(872, 520, 185, 89);
    Memo1->hide();
    Memo2 = new QPlainTextEdit(QStringLiteral("Memo2"), this);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setGeometry(888, 248, 185, 89);
    Memo2->hide();
}

void Tmaintarnvik::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A failed start closes the window at its first showing; the close is
    // queued so that it happens inside the running message loop.
    if (StartFailed)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}
