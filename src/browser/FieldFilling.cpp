#include "FieldFilling.h"

#include "Clipboard.h"
#include "ErrorHandler.h"
#include "TEmbeddedWB.h"

#include <QPointer>

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
    // The window goes on meanwhile: a page with a great many fields may take
    // a while to begin, and a failure is reported when the page answers.
    const QPointer<TEmbeddedWB> alive(&browser);
    browser.FillFieldsLater({{"subject", subject}, {"body", body}},
                            [alive](const TEmbeddedWB::FillAnswer &answer) {
                                if (alive)
                                    ErrorHandler::run([&] { TEmbeddedWB::checkAnswer(answer); });
                            });
}

void logIn(TEmbeddedWB &browser, const std::string &username, const std::string &password,
           std::function<void(LoginFill)> done)
{
    const QPointer<TEmbeddedWB> alive(&browser);
    browser.FillLoginLater(
        username, password, [alive, done = std::move(done)](const TEmbeddedWB::FillAnswer &answer) {
            if (!alive)
                return;
            ErrorHandler::run([&] {
                TEmbeddedWB::checkAnswer(answer);
                if (!answer.set[0])
                    done(LoginFill::NoPasswordField);
                else
                    done(answer.set[1] ? LoginFill::UsernameAndPassword : LoginFill::PasswordOnly);
            });
        });
}

} // namespace FieldFilling
