#pragma once

#include <string>
#include <string_view>

// A "mailto:" address that opens the user's mail program with a report
// filled in, ready to send or to drop: nothing leaves without the user.
namespace ReportMail {

// mailto:<to>?subject=<subject>&body=<body>, every byte of subject and body
// that is not unreserved percent-encoded, and every line break of the body
// written as CR LF, as mail programs expect. A body longer than maxBody bytes
// is cut, since desktops hand the address to the mail program on its command
// line.
std::string mailtoUrl(std::string_view to, std::string_view subject, std::string_view body,
                      std::size_t maxBody = 16 * 1024);

} // namespace ReportMail
