#pragma once

class QScreen;
class QWidget;

namespace ScreenPlace {

// The screen that holds the window, or the primary one before it is placed.
QScreen *screenOf(const QWidget *window);

// Moves a top-level window so that its frame is centred in the work area of
// the screen that holds it.
void centreOnScreen(QWidget *window);

} // namespace ScreenPlace
