#include "FieldFilling.h"

#include "Clipboard.h"
#include "TEmbeddedWB.h"

namespace FieldFilling {

void paste(TEmbeddedWB &browser, const std::string &text)
{
    Clipboard::setText(text);
    browser.PasteIntoPage();
}

void pastePassword(TEmbeddedWB &browser, const std::string &password)
{
    Clipboard::setSecretText(password);
    browser.PasteIntoPage();
}

void autoInsert(TEmbeddedWB &browser, const std::string &subject, const std::string &body)
{
    // One visit to the page for both walks; the subject's walk still runs
    // first, and an error reaching the forms there leaves the body undone.
    browser.FillFields({{"subject", subject}, {"body", body}});
}

} // namespace FieldFilling
