#include "resources/artgen/art_common.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>

#include <map>

namespace art {

using namespace Qt::StringLiterals;

LookColours coloursOf(KeyLook look) {
    switch (look) {
    case KeyLook::Learned:
        return {QColor(242, 98, 90), QColor(190, 36, 30), QColor(118, 20, 16), Qt::white};
    case KeyLook::Chosen:
        return {QColor(255, 230, 120), QColor(255, 150, 20), QColor(170, 85, 0), QColor(58, 36, 0)};
    case KeyLook::Preset:
        return {QColor(98, 210, 112), QColor(32, 142, 56), QColor(18, 92, 36), Qt::white};
    case KeyLook::Plain:
        break;
    }
    return {QColor(150, 168, 192), QColor(88, 108, 136), QColor(54, 68, 90), Qt::white};
}

QFont uiFont(double pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(pixelSize + 0.5)));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QImage filled(int width, int height, const QColor& colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

void prepare(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

void drawFittedText(QPainter& painter, const QRectF& box, const QString& text, const QColor& colour,
                    double maxPx, double minPx, bool bold) {
    const bool mayWrap = text.contains(QLatin1Char(' '));
    double size = maxPx;
    int flags = Qt::AlignCenter;
    for (; size > minPx; size -= 0.5) {
        const QFontMetricsF metrics(uiFont(size, bold));
        if (metrics.horizontalAdvance(text) <= box.width() && metrics.height() <= box.height() + 2)
            break;
        if (mayWrap) {
            const QRectF need = metrics.boundingRect(box, Qt::AlignCenter | Qt::TextWordWrap, text);
            if (need.width() <= box.width() && need.height() <= box.height() + 2) {
                flags |= Qt::TextWordWrap;
                break;
            }
        }
    }
    painter.setFont(uiFont(size, bold));
    painter.setPen(colour);
    painter.drawText(box, flags, text);
}

double drawWrappedText(QPainter& painter, const QRectF& box, const QString& text,
                       const QColor& colour, double maxPx, bool bold) {
    double size = maxPx;
    QRectF need;
    for (; size > 6; size -= 0.5) {
        need = QFontMetricsF(uiFont(size, bold))
                   .boundingRect(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        if (need.height() <= box.height() && need.width() <= box.width())
            break;
    }
    painter.setFont(uiFont(size, bold));
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    return need.height();
}

QString keyCaption(std::string_view path) {
    const auto slash = path.find('/');
    QString name =
        QString::fromUtf8(slash == std::string_view::npos ? path : path.substr(slash + 1))
            .trimmed();
    static const std::map<QString, QString> symbols = {
        {"UP", u"\u25B2"_s},
        {"DOWN", u"\u25BC"_s},
        {"LEFT", u"\u25C0"_s},
        {"RIGHT", u"\u25B6"_s},
        {"PLAY", u"\u25B6"_s},
        {"PAUSE", u"\u275A\u275A"_s},
        {"STOP", u"\u25A0"_s},
        {"REWIND", u"\u25C0\u25C0"_s},
        {"FORWARD", u"\u25B6\u25B6"_s},
        {"STEPBACK", u"|\u25C0"_s},
        {"StepBackward", u"\u25C0\u25C0|"_s},
        {"STEPFORWARD", u"\u25B6|"_s},
        {"forward", u"FWD"_s},
        {"back", u"BACK"_s},
        {"DASH", u"-/--"_s},
        {"YELLO", u"YELLOW"_s},
        {"input1", u"IN 1"_s},
        {"input2", u"IN 2"_s},
        {"input3", u"IN 3"_s},
    };
    const auto found = symbols.find(name);
    return found != symbols.end() ? found->second : name;
}

namespace {

QColor stripeColour(const QString& caption) {
    if (caption == u"RED"_s)
        return QColor(230, 40, 40);
    if (caption == u"GREEN"_s)
        return QColor(40, 200, 70);
    if (caption == u"YELLOW"_s)
        return QColor(250, 220, 40);
    if (caption == u"BLUE"_s)
        return QColor(40, 110, 240);
    return QColor();
}

void drawPowerSymbol(QPainter& painter, const QPointF& centre, double radius, const QColor& c) {
    painter.setPen(QPen(c, std::max(1.2, radius / 3.5), Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    painter.drawArc(circle, 120 * 16, -240 * 16);
    painter.drawLine(QPointF(centre.x(), centre.y() - radius * 1.25),
                     QPointF(centre.x(), centre.y()));
}

} // namespace

void drawKeyCap(QPainter& painter, const QRectF& rect, KeyLook look, std::string_view path) {
    const LookColours colours = coloursOf(look);
    const QRectF body = rect.adjusted(1, 1, -1, -1);
    const double radius = std::min(body.width(), body.height()) * 0.32;
    painter.save();
    prepare(painter);
    // A soft shadow below the cap lifts it off the case.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawRoundedRect(body.translated(0, 1), radius, radius);
    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0, colours.top);
    shade.setColorAt(1, colours.bottom);
    painter.setBrush(shade);
    painter.setPen(QPen(colours.border, 1));
    painter.drawRoundedRect(body, radius, radius);
    painter.setPen(QPen(QColor(255, 255, 255, 110), 1));
    painter.drawLine(QPointF(body.left() + radius, body.top() + 1.5),
                     QPointF(body.right() - radius, body.top() + 1.5));

    const QString caption = keyCaption(path);
    QRectF textBox = body.adjusted(2, 1, -2, -1);
    const QColor stripe = stripeColour(caption);
    if (stripe.isValid()) { // the coloured function keys carry their colour as a bar
        painter.fillRect(QRectF(body.left() + 4, body.bottom() - 4, body.width() - 8, 2.5), stripe);
        textBox.adjust(0, 0, 0, -3);
    }
    if (path.starts_with("POWER/")) {
        const double r = std::min(body.width(), body.height()) * 0.2;
        drawPowerSymbol(painter, QPointF(body.center().x(), body.top() + r * 1.6 + 1), r,
                        look == KeyLook::Chosen ? colours.text : QColor(255, 210, 200));
        textBox.setTop(body.top() + r * 2.9 + 1);
    }
    drawFittedText(painter, textBox, caption, colours.text, 9, 5.5);
    painter.restore();
}

void drawButtonFace(QPainter& painter, const QRectF& rect, const QColor& base, const QString& text,
                    const QColor& textColour) {
    painter.save();
    prepare(painter);
    const QRectF face = rect.adjusted(1.5, 1.5, -1.5, -1.5);
    const double radius = face.height() / 2.4;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 70));
    painter.drawRoundedRect(face.translated(0, 1), radius, radius);
    QLinearGradient shade(face.topLeft(), face.bottomLeft());
    shade.setColorAt(0, base.lighter(135));
    shade.setColorAt(0.5, base);
    shade.setColorAt(1, base.darker(125));
    painter.setBrush(shade);
    painter.setPen(QPen(base.darker(170), 1));
    painter.drawRoundedRect(face, radius, radius);
    painter.setPen(QPen(QColor(255, 255, 255, 120), 1));
    painter.drawLine(QPointF(face.left() + radius, face.top() + 1.5),
                     QPointF(face.right() - radius, face.top() + 1.5));
    drawFittedText(painter, face.adjusted(6, 2, -6, -2), text, textColour, 15, 8);
    painter.restore();
}

} // namespace art
