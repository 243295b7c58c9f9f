#pragma once

#include <chrono>
#include <string>

// The system clipboard, holding the program's 8-bit texts.
namespace Clipboard {

// Replaces the clipboard's whole content, in every format, with text as plain
// text. Raises EError when there is no clipboard to write to.
void setText(const std::string &text);

// Like setText, for a password: the text is marked as secret, so that
// clipboard managers do not record it, and once the secret's lifetime has
// passed the clipboard is emptied if it still holds that text.
void setSecretText(const std::string &text);

// The MIME type and value that mark a secret, as password managers mark theirs.
inline constexpr const char *secretHintType = "x-kde-passwordManagerHint";
inline constexpr const char *secretHintValue = "secret";

// How long a secret stays on the clipboard: 10 seconds. Tests shorten it.
std::chrono::milliseconds secretLifetime();
void setSecretLifetime(std::chrono::milliseconds lifetime);

} // namespace Clipboard
