#include "platform/flash/flash_player.h"

#include "platform/imaging/gif_codec.h"

#include <QFile>
#include <QPainter>

namespace {

// Larger files are not animations we made; they are refused unread.
constexpr qint64 kMaxMovieBytes = 32LL * 1024 * 1024;
// Viewers show frames without a usable delay at this pace.
constexpr int kDefaultDelayMs = 100;
constexpr int kMinimumDelayCs = 2;

QByteArray readMovie(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxMovieBytes)
        return {};
    return file.read(kMaxMovieBytes);
}

} // namespace

FlashPlayer::FlashPlayer(QWidget* parent) : QWidget(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &FlashPlayer::advance);
}

void FlashPlayer::setMovie(const QString& path) {
    StopPlay();
    path_ = path;
    frames_.clear();
    delaysMs_.clear();
    current_ = 0;
    imaging::GifAnimation animation = imaging::decodeGifAnimation(readMovie(path));
    for (std::size_t i = 0; i < animation.frames.size(); ++i) {
        frames_.push_back(std::move(animation.frames[i]));
        const int cs = animation.delaysCs[i];
        delaysMs_.push_back(cs < kMinimumDelayCs ? kDefaultDelayMs : cs * 10);
    }
    update();
}

void FlashPlayer::Play() {
    if (frames_.size() < 2 || timer_.isActive())
        return; // a single picture needs no timer
    timer_.start(delayOf(current_));
}

void FlashPlayer::StopPlay() {
    timer_.stop();
}

int FlashPlayer::delayOf(int frame) const {
    return delaysMs_[static_cast<std::size_t>(frame)];
}

void FlashPlayer::advance() {
    if (frames_.empty())
        return;
    current_ = (current_ + 1) % frameCount();
    update();
    emit frameChanged(current_);
    timer_.start(delayOf(current_));
}

void FlashPlayer::paintEvent(QPaintEvent*) {
    if (frames_.empty())
        return;
    const QImage& frame = frames_[static_cast<std::size_t>(current_)];
    QSize shown = frame.size().scaled(size(), Qt::KeepAspectRatio);
    if (shown.isEmpty())
        return;
    const QRect place(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                      shown);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(place, frame);
}
