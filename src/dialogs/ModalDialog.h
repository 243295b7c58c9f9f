#pragma once

#include <functional>

class QDialog;

// Shows the program's dialogs modally. A test answers the next dialog with a
// hook instead of the modal loop: the dialog is shown, the hook drives it like
// a user (clicks, keys) and closes it, and the call returns the dialog's result
// as exec() would.
namespace ModalDialog {

// The dialog's result: QDialog::Accepted or QDialog::Rejected.
int exec(QDialog &dialog);

using Hook = std::function<void(QDialog &dialog)>;

// The hook answers the next dialog only. A dialog the hook leaves open is
// closed as by its frame's close button.
void answerNext(Hook hook);

} // namespace ModalDialog
