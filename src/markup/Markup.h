#pragma once

#include "UForums.h"

#include <string>
#include <string_view>

// Turning the web and e-mail addresses of a message into links, in the markup of
// a template.
//
// A template index is the template chooser's position minus one: -1 is "text",
// no markup at all; k >= 0 is the (k + 1)-th template of the list whose Name is
// not empty. Any other index raises EError: marking up with a template that is
// not there would hand the user plain text where a forum's markup was asked for.
// That happens when the chooser does not show the template list, for instance
// after the list failed to load at start.

// The template an index selects, or nullptr for -1 ("text").
const TFormat *SelectedFormat(const TFormats &formats, int index);

// The text with every "http://" and "https://" address (the scheme in any case)
// and then every e-mail address turned into a link. A web address runs to the
// first space anywhere after it; when the rest of the text holds no space, to
// the first comma; else to the end. The space or comma that ends it stays in the text.
// Each e-mail address found in the text after the web links are made is wrapped
// once, where it stands, including the two copies inside a web link; an e-mail
// link is never searched again, so an address that occurs many times, or the
// tail of another address, still ends up in exactly one link. Index -1 returns
// the text unchanged.
std::string MarkupText(std::string_view text, int index, const TFormats &formats);

// The address without the bytes 0 to 32 at either end, as a web link
// LinkOpen U LinkMiddle U LinkEnd; index -1 gives the trimmed address.
std::string WrapURL(std::string_view url, int index, const TFormats &formats);

// The address without the bytes 0 to 32 at either end, as an e-mail link
// LinkOpen Email E LinkMiddle E LinkEnd; index -1 gives the trimmed address.
std::string WrapEmail(std::string_view email, int index, const TFormats &formats);
