#include "resources/artgen/panel_art.h"
#include "resources/artgen/art_common.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace art {

using namespace Qt::StringLiterals;

namespace {

struct HintText {
    QStringList items;
    QString note; // under a green "Note:" heading; empty for none
};

HintText hintText(HintPanel panel) {
    const QString learn =
        u"To learn codes, click \u201CStart to learn\u201D to enter learning mode."_s;
    switch (panel) {
    case HintPanel::Idle:
        return {{learn}, {}};
    case HintPanel::IdleLearned:
        return {{learn,
                 u"To delete a learned code, click \u201CDelete\u201D to enter deleting mode."_s,
                 u"To delete all learned codes, click \u201CClear\u201D."_s},
                {}};
    case HintPanel::Learning:
        return {{u"Click the key to learn on the URC picture at the left."_s,
                 u"Press the matching key on the appliance\u2019s own remote control as the "
                 u"animation shows."_s,
                 u"Repeat for further keys."_s, u"Click \u201CStop learning\u201D to finish."_s},
                u"Do not unplug the USB cable before \u201CStop learning\u201D. Hold the key down "
                u"for no less than 2 seconds."_s};
    case HintPanel::Deleting:
        break;
    }
    return {{u"Choose a red key on the URC picture at the left."_s,
             u"A dialog box asks you to confirm the deleting."_s, u"Repeat for further keys."_s,
             u"Click \u201CStop deleting\u201D to finish."_s},
            u"A dialog box reports whether each deletion succeeded."_s};
}

QString numbered(const QStringList& items) {
    QStringList lines;
    for (int i = 0; i < items.size(); ++i)
        lines << (items.size() == 1 ? items[i] : QString::number(i + 1) + u". "_s + items[i]);
    return lines.join(u'\n');
}

} // namespace

QImage drawHintPanel(HintPanel panel) {
    QImage image(413, 170, QImage::Format_ARGB32);
    QPainter p(&image);
    prepare(p);
    QLinearGradient blue(QPointF(0, 0), QPointF(0, 170));
    blue.setColorAt(0, kHintPanelBlue.lighter(115));
    blue.setColorAt(1, kHintPanelBlue);
    p.fillRect(image.rect(), blue);
    p.setPen(QPen(QColor(170, 210, 240), 1));
    p.drawRect(QRectF(0.5, 0.5, 412, 169));

    p.setFont(uiFont(15, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(12, 6, 300, 22), Qt::AlignLeft | Qt::AlignVCenter, u"Hints:"_s);
    const HintText text = hintText(panel);
    const double noteSpace = text.note.isEmpty() ? 0 : 44;
    const QRectF itemsBox(16, 32, 386, 170 - 38 - noteSpace);
    drawWrappedText(p, itemsBox, numbered(text.items), Qt::white, 13);
    if (!text.note.isEmpty()) {
        const double top = 170 - noteSpace - 2;
        p.setFont(uiFont(12, true));
        p.setPen(kNoteGreen);
        p.drawText(QRectF(16, top, 100, 15), Qt::AlignLeft | Qt::AlignVCenter, u"Note:"_s);
        drawWrappedText(p, QRectF(16, top + 15, 386, noteSpace - 16), text.note, Qt::white, 12);
    }
    return image;
}

QImage drawCommandButton(const QString& text, ButtonStyle style) {
    QImage image = filled(137, 37, kWindowColour);
    QPainter p(&image);
    switch (style) {
    case ButtonStyle::Action:
        drawButtonFace(p, image.rect(), QColor(34, 150, 228), text, Qt::white);
        break;
    case ButtonStyle::Stop:
        drawButtonFace(p, image.rect(), QColor(226, 88, 40), text, Qt::white);
        break;
    case ButtonStyle::Greyed:
        drawButtonFace(p, image.rect(), QColor(150, 160, 170), text, QColor(214, 220, 226));
        break;
    }
    return image;
}

QImage drawIcon(Icon icon) {
    QImage image = filled(49, 42, kWindowColour);
    QPainter p(&image);
    prepare(p);
    const QRectF disc(7.5, 4, 34, 34);
    if (icon == Icon::Help || icon == Icon::Exit) {
        const QColor base = icon == Icon::Help ? QColor(40, 140, 230) : QColor(215, 40, 35);
        QLinearGradient shade(disc.topLeft(), disc.bottomLeft());
        shade.setColorAt(0, base.lighter(140));
        shade.setColorAt(1, base.darker(120));
        p.setBrush(shade);
        p.setPen(QPen(Qt::white, 2));
        p.drawEllipse(disc);
        if (icon == Icon::Help) {
            p.setFont(uiFont(24, true));
            p.setPen(Qt::white);
            p.drawText(disc, Qt::AlignCenter, u"?"_s);
        } else {
            p.setPen(QPen(Qt::white, 4.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(17.5, 14), QPointF(31.5, 28));
            p.drawLine(QPointF(31.5, 14), QPointF(17.5, 28));
        }
        return image;
    }
    // A computer screen with a network globe, for fetching updates.
    p.setPen(QPen(QColor(30, 40, 50), 1.5));
    p.setBrush(QColor(225, 232, 240));
    p.drawRoundedRect(QRectF(6, 5, 30, 23), 3, 3);
    p.setBrush(QColor(40, 120, 200));
    p.drawRect(QRectF(9, 8, 24, 17));
    p.setBrush(QColor(225, 232, 240));
    p.drawRect(QRectF(17, 28, 8, 4));
    p.drawRoundedRect(QRectF(11, 32, 20, 4), 2, 2);
    const QRectF globe(26, 17, 20, 20);
    p.setBrush(QColor(60, 190, 90));
    p.setPen(QPen(Qt::white, 1.5));
    p.drawEllipse(globe);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(globe.adjusted(6, 0, -6, 0));
    p.drawLine(QPointF(globe.left(), globe.center().y()),
               QPointF(globe.right(), globe.center().y()));
    return image;
}

QImage drawLogoPicture() {
    QImage image = filled(413, 86, kUpperPanel);
    QPainter p(&image);
    prepare(p);
    // A small URC with waves leaving its top.
    p.setBrush(QColor(40, 44, 52));
    p.setPen(QPen(QColor(170, 178, 190), 1.5));
    p.drawRoundedRect(QRectF(30, 24, 22, 56), 8, 8);
    p.setBrush(QColor(150, 168, 192));
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 2; ++col)
            p.drawRoundedRect(QRectF(34 + col * 8, 38 + row * 9, 6, 5), 2, 2);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(255, 120, 110, 220 - i * 60), 2));
        const double r = 8 + i * 7;
        p.drawArc(QRectF(41 - r, 24 - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    }
    p.setPen(Qt::white);
    p.setFont(uiFont(30, true));
    p.drawText(QRectF(80, 8, 320, 42), Qt::AlignLeft | Qt::AlignVCenter, u"QZT-617"_s);
    p.setFont(uiFont(14));
    p.setPen(QColor(200, 225, 245));
    p.drawText(QRectF(82, 50, 320, 24), Qt::AlignLeft | Qt::AlignVCenter,
               u"Universal remote control \u00B7 code learning"_s);
    return image;
}

QImage drawWaitingPicture() {
    QImage image = filled(413, 86, kUpperPanel);
    QPainter p(&image);
    prepare(p);
    // An arrow pointing at the URC picture on the left of the window.
    QPainterPath arrow;
    arrow.moveTo(18, 43);
    arrow.lineTo(48, 18);
    arrow.lineTo(48, 32);
    arrow.lineTo(80, 32);
    arrow.lineTo(80, 54);
    arrow.lineTo(48, 54);
    arrow.lineTo(48, 68);
    arrow.closeSubpath();
    QLinearGradient orange(QPointF(0, 18), QPointF(0, 68));
    orange.setColorAt(0, QColor(255, 220, 110));
    orange.setColorAt(1, QColor(255, 150, 20));
    p.setBrush(orange);
    p.setPen(QPen(QColor(170, 85, 0), 1.5));
    p.drawPath(arrow);
    p.setPen(Qt::white);
    p.setFont(uiFont(17, true));
    p.drawText(QRectF(96, 12, 310, 30), Qt::AlignLeft | Qt::AlignVCenter,
               u"Waiting for a key\u2026"_s);
    drawWrappedText(p, QRectF(96, 44, 310, 36),
                    u"Click the key to learn on the URC picture at the left."_s,
                    QColor(210, 230, 245), 13);
    return image;
}

QImage drawColourSwatch(const QColor& colour) {
    QImage image = filled(48, 24, kWindowColour);
    QPainter p(&image);
    prepare(p);
    QLinearGradient shade(QPointF(0, 2), QPointF(0, 22));
    shade.setColorAt(0, colour.lighter(130));
    shade.setColorAt(1, colour.darker(115));
    p.setBrush(shade);
    p.setPen(QPen(colour.darker(170), 1));
    p.drawRoundedRect(QRectF(2.5, 2.5, 43, 19), 6, 6);
    return image;
}

} // namespace art
