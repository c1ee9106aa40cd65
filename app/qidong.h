#pragma once
// The splash window shown while the main window is created and the URC is
// read: a plain frameless form holding one picture.
#include <QImage>
#include <QWidget>

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(const QImage& picture, QWidget* parent = nullptr);

    // Shows the window and draws it on the screen before returning, since
    // the start-up reading that follows keeps the event loop from running.
    void showAndDraw();

    QWidget* Image1 = nullptr;
};
