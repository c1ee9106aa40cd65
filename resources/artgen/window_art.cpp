#include "resources/artgen/window_art.h"
#include "resources/artgen/art_common.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace art {

using namespace Qt::StringLiterals;

namespace {

// Left strip beside the URC: which colour a key shows for which state.
void drawLegend(QPainter& p) {
    const QRectF strip(6, 40, 134, 330);
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.setBrush(QColor(20, 70, 104, 120));
    p.drawRoundedRect(strip, 8, 8);
    drawFittedText(p, QRectF(12, 48, 122, 20), u"Key colours"_s, Qt::white, 13, 8);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.drawLine(QPointF(18, 72), QPointF(128, 72));
    struct Entry {
        KeyLook look;
        QString text;
    };
    const Entry entries[] = {
        {KeyLook::Learned, u"Key with a learnt code"_s},
        {KeyLook::Preset, u"Key with a code downloaded from the web site"_s},
        {KeyLook::Plain, u"Key without any code"_s},
    };
    double top = 86;
    for (const Entry& entry : entries) {
        drawKeyCap(p, QRectF(46, top, 46, 26), entry.look, "");
        drawWrappedText(p, QRectF(14, top + 32, 118, 54), entry.text, Qt::white, 12);
        top += 94;
    }
}

void drawTitle(QPainter& p) {
    p.setFont(uiFont(22, true));
    p.setPen(QColor(0, 0, 0, 80));
    const QRectF line(372, 18, 580, 40);
    p.drawText(line.translated(1.5, 1.5), Qt::AlignLeft | Qt::AlignVCenter,
               u"QZT-617 Remote Control Learning Software"_s);
    p.setPen(Qt::white);
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
               u"QZT-617 Remote Control Learning Software"_s);
    QLinearGradient rule(QPointF(372, 0), QPointF(950, 0));
    rule.setColorAt(0, QColor(255, 255, 255, 230));
    rule.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(372, 66, 578, 2), rule);
}

void drawInformation(QPainter& p) {
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.setBrush(QColor(20, 70, 104, 110));
    p.drawRoundedRect(QRectF(404, 100, 496, 152), 10, 10);
    struct Field {
        QRectF label; // where the program's label sits
        QString caption;
    };
    const Field fields[] = {
        {QRectF(658, 118, 225, 15), u"Type of Remote Control"_s},
        {QRectF(657, 152, 225, 17), u"Learning Software Version"_s},
        {QRectF(658, 188, 221, 17), u"System Software Version"_s},
        {QRectF(657, 226, 228, 15), u"RC Connectivity"_s},
    };
    for (const Field& field : fields) {
        const QRectF box = QRectF(652, field.label.top() - 5, 240, field.label.height() + 10);
        p.setPen(QPen(QColor(190, 225, 248), 1));
        p.setBrush(kFieldBlue);
        p.drawRoundedRect(box, 5, 5);
        p.setFont(uiFont(12.5, true));
        p.setPen(Qt::white);
        p.drawText(QRectF(410, box.top(), 234, box.height()), Qt::AlignRight | Qt::AlignVCenter,
                   field.caption + u":"_s);
    }
}

void drawHintArea(QPainter& p) {
    const QRectF frame(470, 274, 418, 306);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(frame.adjusted(-5, -5, 7, 7), 8, 8);
    p.fillRect(QRectF(470, 274, 418, 130), kUpperPanel);
    p.fillRect(QRectF(470, 404, 418, 176), kLowerPanel);
    p.setPen(QPen(QColor(210, 232, 248), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame.adjusted(-2, -2, 2, 2));
    p.setPen(QPen(QColor(210, 232, 248, 140), 1));
    p.drawLine(QPointF(470, 404), QPointF(888, 404));
}

void drawDecoration(QPainter& p) {
    // Infrared waves spreading from the URC across the lower right.
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 36 - i * 6), 3));
        const double r = 60 + i * 34;
        p.drawArc(QRectF(372 - r, 690 - r, 2 * r, 2 * r), 0, 90 * 16);
    }
    QRadialGradient glow(QPointF(1000, 700), 240);
    glow.setColorAt(0, QColor(255, 255, 255, 40));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(1000, 700), 240, 240);
    // The strip under the three command buttons.
    p.setBrush(QColor(20, 70, 104, 90));
    p.drawRoundedRect(QRectF(418, 624, 520, 62), 12, 12);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.drawLine(QPointF(372, 708), QPointF(1010, 708));
    p.setFont(uiFont(11));
    p.setPen(QColor(225, 238, 248));
    p.drawText(QRectF(372, 712, 638, 18), Qt::AlignRight | Qt::AlignVCenter,
               u"QZT-617 universal remote control \u00B7 infrared code learning"_s);
}

} // namespace

QImage drawBackground() {
    QImage image = filled(kBackgroundWidth, kBackgroundHeight, kWindowColour);
    QPainter p(&image);
    prepare(p);
    drawDecoration(p);
    drawLegend(p);
    drawTitle(p);
    drawInformation(p);
    drawHintArea(p);
    return image;
}

QImage drawSplash(const QImage& urcFront) {
    QImage image(kSplashWidth, kSplashHeight, QImage::Format_ARGB32);
    QPainter p(&image);
    prepare(p);
    QLinearGradient light(QPointF(0, 0), QPointF(0, kSplashHeight));
    light.setColorAt(0, QColor(250, 252, 255));
    light.setColorAt(1, QColor(222, 236, 247));
    p.fillRect(image.rect(), light);
    p.fillRect(QRectF(0, kSplashHeight - 8, kSplashWidth, 8), kWindowColour);
    // The URC upright on the left, slightly tilted like a product shot.
    const QSizeF shown(62, 232);
    p.save();
    p.translate(70, 128);
    p.rotate(-8);
    const QRectF place(-shown.width() / 2, -shown.height() / 2, shown.width(), shown.height());
    QPainterPath outline; // leaves out the window colour around the case
    outline.addRoundedRect(place.adjusted(1, 0.5, -1, -0.5), 11, 11);
    p.setClipPath(outline);
    p.drawImage(place, urcFront);
    p.restore();
    p.setPen(kWindowColour.darker(140));
    p.setFont(uiFont(40, true));
    p.drawText(QRectF(140, 58, 300, 52), Qt::AlignLeft | Qt::AlignVCenter, u"QZT-617"_s);
    p.setPen(QColor(60, 80, 100));
    p.setFont(uiFont(13));
    p.drawText(QRectF(142, 108, 300, 20), Qt::AlignLeft | Qt::AlignVCenter,
               u"Universal remote control learning software"_s);
    p.fillRect(QRectF(142, 136, 290, 2), kWindowColour);
    p.setPen(QColor(30, 50, 70));
    p.setFont(uiFont(15, true));
    p.drawText(QRectF(142, 150, 300, 26), Qt::AlignLeft | Qt::AlignVCenter,
               u"One remote that learns them all."_s);
    return image;
}

} // namespace art
