#include "qidong.h"

#include <QLabel>

TForm1::TForm1(const QImage& picture, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::SplashScreen) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("启动界面"));
    setFixedSize(462, 258);
    move(301, 196); // placed as designed, not centred
    setAutoFillBackground(true);
    setPalette(QPalette(palette().color(QPalette::Button)));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);

    // The 460 x 260 picture is drawn at its own size from the top-left corner:
    // its bottom two rows are cut off and two pixels of background show on the
    // right.
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(0, 0, 462, 258);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setPixmap(QPixmap::fromImage(picture));
    Image1 = image;
}
