#include "qidong.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QThread>
#include <QWindow>

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

// Under a window manager the window is mapped only once the manager has
// taken it, some time after show() returns, and nothing painted before that
// reaches the screen. So events are handled until the window is exposed (at
// most a second; at once on a bare X server), and only then is it painted and
// the drawing sent.
void TForm1::showAndDraw() {
    show();
    QElapsedTimer waited;
    waited.start();
    while (!(windowHandle() && windowHandle()->isExposed()) && waited.elapsed() < 1000) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
