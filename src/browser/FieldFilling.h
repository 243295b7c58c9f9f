#pragma once

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

} // namespace FieldFilling
