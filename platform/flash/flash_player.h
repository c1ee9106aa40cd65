#pragma once
// Plays an animated GIF file in a loop, scaled to show the whole movie in the
// widget's rectangle with its proportions kept. Frames advance on a timer of
// the window thread. A movie that is missing or unreadable shows nothing.
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <vector>

class FlashPlayer : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Movie READ movie WRITE setMovie)

public:
    explicit FlashPlayer(QWidget* parent = nullptr);

    // Loads the movie from the file at once; playing stops.
    void setMovie(const QString& path);
    QString movie() const { return path_; }

    // Starts, or goes on, from the current frame; does nothing without a
    // movie. StopPlay holds the current frame; it is safe at any time.
    void Play();
    void StopPlay();
    bool isPlaying() const { return timer_.isActive(); }

    int frameCount() const { return static_cast<int>(frames_.size()); }
    int currentFrame() const { return current_; }

signals:
    void frameChanged(int frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void advance();
    int delayOf(int frame) const;

    QString path_;
    std::vector<QImage> frames_;
    std::vector<int> delaysMs_;
    int current_ = 0;
    QTimer timer_;
};
