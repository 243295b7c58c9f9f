#pragma once

class QWidget;

// Small settings that several windows share.
namespace WindowLook {

// Shows a control's selection in its focused colours also while another
// control has the focus.
void keepSelectionVisible(QWidget *control);

// Centres a top-level window on the screen that holds it.
void centreOnScreen(QWidget *window);

} // namespace WindowLook
