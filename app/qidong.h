#pragma once
// The splash window shown while the main window is created and the URC is
// read: a plain frameless form holding one picture.
#include <QImage>
#include <QWidget>

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(const QImage& picture, QWidget* parent = nullptr);

    QWidget* Image1 = nullptr;
};
