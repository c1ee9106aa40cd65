#include "resources/artgen/animation_art.h"
#include "resources/artgen/art_common.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace art {

using namespace Qt::StringLiterals;

namespace {

constexpr double kEmitterX = 150;  // the tip of the original remote
constexpr double kReceiverX = 262; // the infrared window of the URC
constexpr double kBeamY = 36;

void drawOriginalRemote(QPainter& p, bool sending) {
    QLinearGradient body(QPointF(0, 24), QPointF(0, 48));
    body.setColorAt(0, QColor(70, 70, 74));
    body.setColorAt(1, QColor(20, 20, 22));
    p.setBrush(body);
    p.setPen(QPen(QColor(140, 140, 146), 1));
    p.drawRoundedRect(QRectF(22, 24, 126, 24), 9, 9);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 120, 128));
    for (int col = 0; col < 6; ++col)
        for (int row = 0; row < 2; ++row)
            p.drawRoundedRect(QRectF(34 + col * 15, 29 + row * 8, 10, 5), 2, 2);
    p.setBrush(sending ? QColor(255, 70, 60) : QColor(110, 30, 30));
    p.drawEllipse(QPointF(kEmitterX - 3, kBeamY), 3, 3);
    // A thumb on the key being held down.
    p.setBrush(QColor(235, 190, 160));
    p.setPen(QPen(QColor(170, 120, 95), 1));
    p.drawEllipse(QRectF(96, sending ? 30 : 26, 18, 11));
}

void drawUrc(QPainter& p, bool answering) {
    QLinearGradient body(QPointF(0, 20), QPointF(0, 52));
    body.setColorAt(0, QColor(72, 78, 88));
    body.setColorAt(1, QColor(30, 33, 38));
    p.setBrush(body);
    p.setPen(QPen(QColor(175, 182, 194), 1.5));
    p.drawRoundedRect(QRectF(kReceiverX, 20, 128, 32), 12, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 20, 30));
    p.drawRoundedRect(QRectF(kReceiverX + 2, 29, 7, 14), 3, 3);
    p.setBrush(QColor(150, 168, 192));
    for (int col = 0; col < 7; ++col)
        for (int row = 0; row < 2; ++row)
            p.drawRoundedRect(QRectF(kReceiverX + 18 + col * 15, 26 + row * 11, 10, 7), 2, 2);
    p.setBrush(answering ? QColor(80, 255, 110) : QColor(30, 90, 40));
    p.drawEllipse(QPointF(kReceiverX + 14, 24), 2.2, 2.2);
    p.setFont(uiFont(7, true));
    p.setPen(QColor(200, 206, 216));
    p.drawText(QRectF(kReceiverX + 70, 44, 56, 8), Qt::AlignRight | Qt::AlignVCenter, u"QZT-617"_s);
}

// Wave fronts leave the emitter one after another and fade on arrival.
void drawWaves(QPainter& p, int frame) {
    p.setBrush(Qt::NoBrush);
    const double span = kReceiverX - kEmitterX;
    for (int wave = 0; wave < 3; ++wave) {
        const double progress = std::fmod(frame / double(kAnimationFrames) + wave / 3.0, 1.0);
        const double x = kEmitterX + progress * span;
        const int alpha = static_cast<int>(255 * (1.0 - 0.7 * progress));
        p.setPen(QPen(QColor(255, 90, 80, alpha), 2.5, Qt::SolidLine, Qt::RoundCap));
        const double reach = 6 + progress * 14;
        p.drawArc(QRectF(x - reach, kBeamY - reach, 2 * reach, 2 * reach), -40 * 16, 80 * 16);
    }
}

} // namespace

std::vector<QImage> drawLearningAnimation() {
    std::vector<QImage> frames;
    for (int frame = 0; frame < kAnimationFrames; ++frame) {
        QImage image = filled(kAnimationWidth, kAnimationHeight, kUpperPanel);
        QPainter p(&image);
        prepare(p);
        drawOriginalRemote(p, frame % 4 != 3);
        drawWaves(p, frame);
        drawUrc(p, frame % 3 == 2);
        p.setFont(uiFont(11, true));
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 60, kAnimationWidth, 20), Qt::AlignCenter,
                   u"Point the original remote at the URC and hold the key"_s);
        frames.push_back(image);
    }
    return frames;
}

} // namespace art
