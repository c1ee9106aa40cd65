#include "keypanel/image_control.h"

#include <QPainter>

ImageControl::ImageControl(QWidget* parent) : QWidget(parent) {
    // No background of its own: only the picture's opaque pixels cover what
    // lies below.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
}

void ImageControl::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void ImageControl::setStretch(bool stretch) {
    if (stretch_ == stretch)
        return;
    stretch_ = stretch;
    update();
}

void ImageControl::repaintNow() {
    repaint();
}

void ImageControl::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    if (stretch_) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), picture_);
    } else {
        painter.drawImage(QPoint(0, 0), picture_);
    }
}
