#pragma once
// Hint panels, button faces, icons and the pictures of the hint area.
#include <QImage>
#include <QString>

namespace art {

enum class HintPanel { Idle, IdleLearned, Learning, Deleting };

// 413 x 170, instruction text in white on blue under "Hints:".
QImage drawHintPanel(HintPanel panel);

enum class ButtonStyle { Action, Stop, Greyed };

// 137 x 37 command button face.
QImage drawCommandButton(const QString& text, ButtonStyle style);

enum class Icon { Help, Update, Exit };

// 49 x 42 icon on the window's colour.
QImage drawIcon(Icon icon);

// 413 x 86 pictures of the hint area: the logo shown when idle, and the
// picture shown while learning mode waits for a key.
QImage drawLogoPicture();
QImage drawWaitingPicture();

// A small swatch of a key colour.
QImage drawColourSwatch(const QColor& colour);

} // namespace art
