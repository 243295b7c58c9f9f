#pragma once

#include <functional>

class QObject;

// Work that can wait until the program's first window is on the screen.
namespace FirstFrame {

// Runs done once, after the first top-level window has been painted and put on
// the screen, unless context is gone by then. Call it once the application
// object exists and before the event loop runs.
void after(QObject *context, std::function<void()> done);

} // namespace FirstFrame
