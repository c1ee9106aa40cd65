#include "resources/artgen/urc_art.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace art {

using namespace Qt::StringLiterals;

namespace {

const QColor kCaseDark(34, 37, 43);
const QColor kCaseLight(62, 67, 76);

void drawShell(QPainter& p) {
    const QRectF outline(3.5, 1.5, kUrcWidth - 7, kUrcHeight - 3);
    QLinearGradient sides(outline.topLeft(), outline.topRight());
    sides.setColorAt(0, kCaseLight);
    sides.setColorAt(0.12, kCaseDark);
    sides.setColorAt(0.88, kCaseDark);
    sides.setColorAt(1, kCaseLight);
    p.setBrush(sides);
    p.setPen(QPen(QColor(170, 178, 190), 1.5)); // brushed-metal rim
    p.drawRoundedRect(outline, 34, 34);
    p.setPen(QPen(QColor(0, 0, 0, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(outline.adjusted(3, 3, -3, -3), 31, 31);
}

void drawTop(QPainter& p) {
    // The infrared window at the top edge, with its emitter behind it.
    const QRectF lens(72, 7, 51, 13);
    QLinearGradient glass(lens.topLeft(), lens.bottomLeft());
    glass.setColorAt(0, QColor(120, 20, 30));
    glass.setColorAt(1, QColor(40, 5, 10));
    p.setBrush(glass);
    p.setPen(QPen(QColor(10, 10, 12), 1));
    p.drawRoundedRect(lens, 6, 6);
    p.setBrush(QColor(255, 90, 90, 160));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(97.5, 12), 3, 2);
    p.setFont(uiFont(10, true));
    p.setPen(QColor(205, 212, 222));
    p.drawText(QRectF(0, 24, kUrcWidth, 16), Qt::AlignCenter, u"QZT-617"_s);
    p.setBrush(QColor(60, 220, 90));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(160, 32), 2, 2); // the learning LED
}

void drawNavigationRing(QPainter& p, const QPointF& centre, double radius) {
    QRadialGradient ring(centre, radius);
    ring.setColorAt(0.0, QColor(50, 55, 63));
    ring.setColorAt(0.85, QColor(70, 76, 86));
    ring.setColorAt(1.0, QColor(28, 31, 36));
    p.setBrush(ring);
    p.setPen(QPen(QColor(120, 128, 140), 1));
    p.drawEllipse(centre, radius, radius * 0.92);
}

void drawGroupRules(QPainter& p) {
    // Thin rules between the device groups, each named at the case's edge.
    struct Rule {
        double y;
        const char* name;
    };
    static const Rule rules[] = {
        {44, "POWER"}, {82, "TV"}, {135, "CBL"}, {399, "DVD"}, {540, "AMP"}};
    p.setFont(uiFont(6, true));
    for (const Rule& rule : rules) {
        p.setPen(QPen(QColor(95, 102, 114), 0.8));
        p.drawLine(QPointF(14, rule.y), QPointF(kUrcWidth - 14, rule.y));
        p.setPen(QColor(150, 158, 170));
        p.save();
        p.translate(9.5, rule.y + 3);
        p.rotate(90);
        p.drawText(QPointF(0, 0), QString::fromLatin1(rule.name));
        p.restore();
    }
}

void drawBottom(QPainter& p) {
    p.setPen(QColor(190, 198, 210));
    p.setFont(uiFont(9, true));
    p.drawText(QRectF(0, 618, kUrcWidth, 14), Qt::AlignCenter, u"UNIVERSAL REMOTE"_s);
    p.setFont(uiFont(7));
    p.setPen(QColor(140, 148, 160));
    p.drawText(QRectF(0, 633, kUrcWidth, 12), Qt::AlignCenter, u"infrared learning"_s);
    // A grille of small holes over the battery cover.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(18, 20, 24));
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 9; ++col)
            p.drawEllipse(QPointF(57 + col * 10 + (row % 2) * 5, 665 + row * 9), 1.6, 1.6);
    p.setPen(QPen(QColor(90, 96, 106), 1));
    p.drawLine(QPointF(40, 712), QPointF(kUrcWidth - 40, 712));
}

} // namespace

QImage drawUrcCase() {
    QImage image = filled(kUrcWidth, kUrcHeight, kWindowColour);
    QPainter p(&image);
    prepare(p);
    drawShell(p);
    drawTop(p);
    drawGroupRules(p);
    drawNavigationRing(p, QPointF(99, 318), 49);  // the cable box's cursor keys
    drawNavigationRing(p, QPointF(100, 494), 47); // the disc player's cursor keys
    drawBottom(p);
    return image;
}

QRect capRect(const keypanel::KeyDefinition& key) {
    const QRect own(key.left, key.top, key.width, key.height);
    QRect cap = own;
    for (const keypanel::KeyDefinition& other : keypanel::kKeyTable) {
        const QRect theirs(other.left, other.top, other.width, other.height);
        const QRect shared = own & theirs;
        if (other.code == key.code || shared.isEmpty())
            continue;
        // Split across the overlap's thinner side, at its middle.
        if (shared.width() <= shared.height()) {
            const int middle = shared.left() + shared.width() / 2;
            if (own.center().x() < theirs.center().x())
                cap.setRight(std::min(cap.right(), middle - 1));
            else
                cap.setLeft(std::max(cap.left(), middle));
        } else {
            const int middle = shared.top() + shared.height() / 2;
            if (own.center().y() < theirs.center().y())
                cap.setBottom(std::min(cap.bottom(), middle - 1));
            else
                cap.setTop(std::max(cap.top(), middle));
        }
    }
    return cap;
}

QImage drawUrcFront(const QImage& urcCase) {
    QImage image = urcCase.copy();
    QPainter p(&image);
    for (const keypanel::KeyDefinition& key : keypanel::kKeyTable)
        drawKeyCap(p, capRect(key), KeyLook::Plain, key.path);
    return image;
}

QImage drawKeyPicture(const QImage& urcCase, const QImage& urcFront,
                      const keypanel::KeyDefinition& key, KeyLook look) {
    QImage image = urcFront.copy(key.left, key.top, key.width, key.height);
    const QRect cap = capRect(key);
    const QPoint inside = cap.topLeft() - QPoint(key.left, key.top);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(inside, urcCase.copy(cap)); // the bare case under this key's cap
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    drawKeyCap(p, QRectF(QPointF(inside), QSizeF(cap.size())), look, key.path);
    return image;
}

QImage drawNeutralPicture() {
    QImage image = filled(16, 16, kCaseDark);
    QPainter p(&image);
    prepare(p);
    p.setPen(QPen(QColor(88, 108, 136), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 4, 4);
    return image;
}

} // namespace art
