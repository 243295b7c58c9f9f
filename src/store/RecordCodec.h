#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The caret-separated line format shared by the three data files: a header line,
// then one line per record, each field followed by a caret, every line ending
// in CR LF.
//
// A record whose fields would not read back as they are (a caret in a field,
// a line break where the file does not carry one, text that the message file's
// line-break escapes would misread) is written escaped: every "%", "^", CR and
// LF of its fields becomes "%25", "%5E", "%0D" and "%0A", and one more field,
// escapedMarker, follows the record's own. Readers that do not know the marker
// take it as a surplus field and drop it; every other record is written exactly
// as the plain format has always written it.
namespace RecordCodec {

struct Layout {
    std::string_view header;   // the first line, without its line end
    std::size_t fieldCount;    // fields per record
    bool escapesLineBreaks;    // CR is stored as "%#%" and LF as "&#&"
};

using Fields = std::vector<std::string>;

// The field after a record's own that marks the record as escaped.
inline constexpr std::string_view escapedMarker = "%escaped";

// Calls onRecord for every record line of a file's text, in file order, with
// the line cut into exactly layout.fieldCount fields: missing fields are
// empty, surplus fields are dropped. The header line is skipped unread, and so
// is every line that holds only blanks. onRecord may move the fields away.
void parse(std::string_view text, const Layout &layout, const std::function<void(Fields &)> &onRecord);

// Appends one record line (with its CR LF) to out.
void appendRecord(std::string &out, std::span<const std::string *const> fields, const Layout &layout);

// The header line with its CR LF.
void appendHeader(std::string &out, const Layout &layout);

// Replaces every occurrence of from with to in one left-to-right scan; text put
// in is not searched again.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);

} // namespace RecordCodec
