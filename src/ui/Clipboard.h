#pragma once

#include <string>

// The system clipboard, holding the program's 8-bit texts.
namespace Clipboard {

// Replaces the clipboard's whole content, in every format, with text as plain
// text. Raises EError when there is no clipboard to write to.
void setText(const std::string &text);

} // namespace Clipboard
