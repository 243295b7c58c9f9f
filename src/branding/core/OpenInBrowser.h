#pragma once

#include <optional>
#include <string>
#include <string_view>

// Opening a page in the user's own web browser, outside the program.

// The browser program the system registers for web addresses: on Windows the
// command under HKEY_CLASSES_ROOT\http\shell\open\command cut to its program;
// elsewhere the first word of the Exec line of the desktop's handler for
// x-scheme-handler/http. Nothing when none is registered.
std::optional<std::string> RegisteredBrowser();

// Starts the registered browser with address, unchanged, as its one argument;
// no shell reads it. Returns false when no browser is registered, true
// otherwise, also when the program could not be started. An address that
// begins with "-" is never passed, since the browser would take it for an
// option: nothing is started and the result is false.
bool OpenInBrowser(std::string_view address);
