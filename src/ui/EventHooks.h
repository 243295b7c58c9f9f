#pragma once

#include <functional>

class QKeyEvent;
class QWidget;

// Handlers for events that a widget offers no signal for. Each hook lives as
// long as its widget. A handler runs before the widget handles the event, which
// the widget then gets as usual; errors a handler raises reach the general
// error handling.
namespace EventHooks {

// Every key pressed while widget has the focus.
void onKeyDown(QWidget *widget, std::function<void(const QKeyEvent &)> handler);

// Every double-click of a mouse button inside widget.
void onDoubleClick(QWidget *widget, std::function<void()> handler);

// Every click of the left mouse button: pressed inside widget and released
// inside it.
void onClick(QWidget *widget, std::function<void()> handler);

} // namespace EventHooks
