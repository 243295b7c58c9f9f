#pragma once

#include <functional>
#include <string>

class TBrowser;

// Puts the message editor's texts into the page shown in the browser, exactly
// as typed.
namespace FieldFilling {

// A paste button: text replaces the clipboard's content and is pasted at the
// page's caret.
void paste(TBrowser &browser, const std::string &text);

// The password's paste button: as paste, with the text on the clipboard as a
// secret that clipboard managers pass over and that goes after a while.
void pastePassword(TBrowser &browser, const std::string &password);

// "Auto Insert": subject into every field named "subject", then body into every
// field named "body", of the page's forms. Returns at once; shows nothing when
// the fill succeeds, and reports a page that could not be filled.
void autoInsert(TBrowser &browser, const std::string &subject, const std::string &body);

// What a login fill put into the page.
enum class LoginFill {
    NoPasswordField, // the page's forms hold no password field: nothing was set
    PasswordOnly,    // no text or e-mail field comes before the password field
    UsernameAndPassword,
};

// "Log In Here": the password into the first password field of the page's
// forms, the user name into the nearest text or e-mail field before it in the
// same form; forms in frames are left alone and nothing is sent. Returns at
// once; done gets what was filled. A page that could not be filled is
// reported through the general error handling, and done is not called.
void logIn(TBrowser &browser, const std::string &username, const std::string &password,
           std::function<void(LoginFill)> done);

} // namespace FieldFilling
