// The yardstick for the program's start-up: a bare Qt Widgets program showing
// one frameless window of the main window's size and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setFixedSize(1028, 737);
    window.show();
    return QApplication::exec();
}
