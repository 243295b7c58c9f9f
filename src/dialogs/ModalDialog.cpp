#include "ModalDialog.h"

#include <QDialog>

#include <utility>

namespace ModalDialog {
namespace {

Hook &nextHook()
{
    static Hook hook;
    return hook;
}

} // namespace

void answerNext(Hook hook)
{
    nextHook() = std::move(hook);
}

int exec(QDialog &dialog)
{
    Hook hook = std::exchange(nextHook(), {});
    if (!hook)
        return dialog.exec();
    dialog.setResult(QDialog::Rejected);
    dialog.setModal(true);
    dialog.show();
    hook(dialog);
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}

} // namespace ModalDialog
