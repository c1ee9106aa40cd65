#pragma once
// Colours, fonts and small drawing helpers shared by every picture of the
// artwork generator.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

#include <string_view>

namespace art {

inline const QColor kWindowColour(53, 124, 168);
inline const QColor kUpperPanel(29, 78, 110);  // behind the hint picture and status line
inline const QColor kLowerPanel(74, 147, 194); // behind the hint panels
inline const QColor kHintPanelBlue(28, 92, 146);
inline const QColor kFieldBlue(102, 168, 211); // light-blue fields of the four labels
inline const QColor kNoteGreen(140, 240, 150);

// The looks a key picture can have.
enum class KeyLook { Plain, Learned, Chosen, Preset };

struct LookColours {
    QColor top;
    QColor bottom;
    QColor border;
    QColor text;
};
LookColours coloursOf(KeyLook look);

// DejaVu Sans at a pixel size, antialiased.
QFont uiFont(double pixelSize, bool bold = false);

// A fresh opaque picture of one colour.
QImage filled(int width, int height, const QColor& colour);

// Starts a painter with antialiasing for shapes and text.
void prepare(QPainter& painter);

// Draws text centred in box, shrinking the font from maxPx until it fits on
// one line, or on two lines when it holds a space; never below minPx.
void drawFittedText(QPainter& painter, const QRectF& box, const QString& text, const QColor& colour,
                    double maxPx, double minPx = 6, bool bold = true);

// Draws wrapped text into box at the largest size up to maxPx that fits;
// answers the height used.
double drawWrappedText(QPainter& painter, const QRectF& box, const QString& text,
                       const QColor& colour, double maxPx, bool bold = false);

// The caption printed on a key: the part of its label after the group name,
// shortened to a symbol where the keys carry one.
QString keyCaption(std::string_view path);

// A rounded key cap filling rect in the given look, with its caption.
void drawKeyCap(QPainter& painter, const QRectF& rect, KeyLook look, std::string_view path);

// A rounded, shaded push-button face in a base colour with its text.
void drawButtonFace(QPainter& painter, const QRectF& rect, const QColor& base, const QString& text,
                    const QColor& textColour);

} // namespace art
