#pragma once
// A picture drawn on the window: from the top-left corner at its own size, or
// stretched to the control's size. Where the picture is transparent (or the
// control is larger than an unstretched picture) whatever lies below shows
// through, so pictures can be stacked on the window's background.
#include <QImage>
#include <QWidget>

class ImageControl : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

    void setStretch(bool stretch);
    bool stretch() const { return stretch_; }

    // Paints at once instead of waiting for the event loop, for code that
    // changes a picture and then blocks the window thread for a while.
    void repaintNow();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    bool stretch_ = false;
};
