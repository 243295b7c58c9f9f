#pragma once

class QScreen;
class QWidget;

namespace ScreenPlace {

// The screen that holds the window: before it is shown, its owner's screen,
// or the primary one.
QScreen *screenOf(const QWidget *window);

// Moves a top-level window so that its frame is centred in the work area of
// the screen that holds it. A window in a skinned frame moves its frame.
void centreOnScreen(QWidget *window);

} // namespace ScreenPlace
