#pragma once

class QListWidget;

// The list-box behaviour the program's lists share: at most one selected row,
// which a click on the empty space below the rows leaves as it is.
namespace ListBox {

// Clicks on the list's empty space give it the focus and change nothing else
// (the widget would otherwise drop the selection). Call once per list, before
// hooking the viewport's double-clicks: a hook installed later sees them first,
// also those on the empty space, which go no further.
void keepSelectionOnEmptySpace(QListWidget *list);

// Once a row is selected, one row stays selected: Ctrl with a click or with the
// keys that select rows acts as the plain click or key does.
void keepExactlyOneSelected(QListWidget *list);

// The selected row, or -1 when none is.
int selectedRow(const QListWidget *list);

// Leaves no row selected and none current, so that removing rows selects no
// other one.
void clearSelection(QListWidget *list);

} // namespace ListBox
