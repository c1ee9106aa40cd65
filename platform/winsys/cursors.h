#pragma once
// The application-wide table of numbered cursors. A number without an entry
// shows the default arrow.
#include <QCursor>
#include <optional>

namespace winsys {

// Registers (or, with nullopt, removes) cursor number n.
void registerCursor(int n, std::optional<QCursor> cursor);
// The cursor number n stands for: its registered cursor or the arrow.
QCursor numberedCursor(int n);
bool hasNumberedCursor(int n);

} // namespace winsys
