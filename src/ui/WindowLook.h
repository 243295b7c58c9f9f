#pragma once

class QWidget;

// Small settings that several windows share.
namespace WindowLook {

// Shows a control's selection in its focused colours also while another
// control has the focus.
void keepSelectionVisible(QWidget *control);

// Widens every label of a form that is too narrow for its text, keeping its
// left, top and height: the form's label widths are made for the original
// font, and a wider font must not cut a label's last letters off.
void fitLabels(QWidget *form);

} // namespace WindowLook
