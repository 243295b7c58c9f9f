#pragma once

class QAbstractScrollArea;
class QScrollBar;

// A scroll bar that stands beside a scroll area in place of the area's own,
// hidden one.
namespace ScrollBarMirror {

// From now on outer shows exactly what the area's own vertical scroll bar
// holds (range, value, page and line steps), whatever moved the area, and
// moving outer moves the area to the same value.
void follow(QAbstractScrollArea *area, QScrollBar *outer);

} // namespace ScrollBarMirror
