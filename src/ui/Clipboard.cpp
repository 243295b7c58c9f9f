#include "Clipboard.h"

#include "Errors.h"
#include "WidgetText.h"

#include <QClipboard>
#include <QGuiApplication>

namespace Clipboard {

void setText(const std::string &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw EError("Cannot open clipboard");
    clipboard->setText(WidgetText::toWidget(text), QClipboard::Clipboard);
}

} // namespace Clipboard
