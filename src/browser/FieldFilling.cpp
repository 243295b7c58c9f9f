#include "FieldFilling.h"

#include "Clipboard.h"
#include "ErrorHandler.h"
#include "TBrowser.h"

#include <QPointer>
#include <QWidget>

namespace FieldFilling {

void paste(TBrowser &browser, const std::string &text)
{
    Clipboard::setText(text);
    browser.PasteIntoPage();
}

void pastePassword(TBrowser &browser, const std::string &password)
{
    Clipboard::setSecretText(password);
    browser.PasteIntoPage();
}

void autoInsert(TBrowser &browser, const std::string &subject, const std::string &body)
{
    // One visit to the page for both walks; the subject's walk still runs
    // first, and an error reaching the forms there leaves the body undone.
    // The window goes on meanwhile: a page with a great many fields may take
    // a while to begin, and a failure is reported when the page answers.
    const QPointer<QWidget> alive(browser.widget());
    browser.FillFieldsLater({{"subject", subject}, {"body", body}},
                            [alive](const TBrowser::FillAnswer &answer) {
                                if (alive)
                                    ErrorHandler::run([&] { TBrowser::checkAnswer(answer); });
                            });
}

void logIn(TBrowser &browser, const std::string &username, const std::string &password,
           std::function<void(LoginFill)> done)
{
    const QPointer<QWidget> alive(browser.widget());
    browser.FillLoginLater(
        username, password, [alive, done = std::move(done)](const TBrowser::FillAnswer &answer) {
            if (!alive)
                return;
            ErrorHandler::run([&] {
                TBrowser::checkAnswer(answer);
                if (!answer.set[0])
                    done(LoginFill::NoPasswordField);
                else
                    done(answer.set[1] ? LoginFill::UsernameAndPassword : LoginFill::PasswordOnly);
            });
        });
}

} // namespace FieldFilling
