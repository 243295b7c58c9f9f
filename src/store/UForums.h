#pragma once

#include "RecordList.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// A forum the user posts to.
struct TForum {
    std::string URL;
    std::string Username;
    std::string Password;
};

// A stored message. Body lines are separated by CR LF.
struct TFMessage {
    std::string Subject;
    std::string Body;
};

// A markup template: a web address U becomes LinkOpen U LinkMiddle U LinkEnd,
// an e-mail address E becomes LinkOpen Email E LinkMiddle E LinkEnd.
struct TFormat {
    std::string Name;
    std::string LinkOpen;
    std::string LinkMiddle;
    std::string LinkEnd;
    std::string Email;
};

template <>
struct RecordTraits<TForum> {
    static constexpr std::string_view fileName = "Forums.dat";
    static constexpr std::string_view header = "URL^Username^Password^";
    static constexpr std::array fields = {&TForum::URL, &TForum::Username, &TForum::Password};
    static constexpr bool escapesLineBreaks = false;
    // The file holds passwords in plain text: keep it from other users.
    static constexpr TextFile::Access access = TextFile::Access::Private;
};

template <>
struct RecordTraits<TFMessage> {
    static constexpr std::string_view fileName = "Messages.dat";
    static constexpr std::string_view header = "Subject^Body^";
    static constexpr std::array fields = {&TFMessage::Subject, &TFMessage::Body};
    static constexpr bool escapesLineBreaks = true;
    static constexpr TextFile::Access access = TextFile::Access::Shared;
};

template <>
struct RecordTraits<TFormat> {
    static constexpr std::string_view fileName = "Formats.dat";
    static constexpr std::string_view header = "Name^LinkOpen^LinkMiddle^LinkEnd^Email^";
    static constexpr std::array fields = {&TFormat::Name, &TFormat::LinkOpen, &TFormat::LinkMiddle,
                                          &TFormat::LinkEnd, &TFormat::Email};
    static constexpr bool escapesLineBreaks = false;
    static constexpr TextFile::Access access = TextFile::Access::Shared;
};

class TForums : public TRecordList<TForum> {
public:
    using TRecordList::TRecordList;
};

class TFMessages : public TRecordList<TFMessage> {
public:
    using TRecordList::TRecordList;
};

class TFormats : public TRecordList<TFormat> {
public:
    using TRecordList::TRecordList;
    // Destroys every template and empties the list.
    void ClearAll() { clearEntries(); }
};

// What the template chooser offers: "text" (no markup), then the Name of every
// template whose Name is not empty, in list order.
std::vector<std::string> FormatChooserEntries(const TFormats &formats);

// Removes the temporary files that cut-off saves of the three data files left
// in dir. Run it before the lists load, by the one program that uses dir.
void RemoveLeftoverSaves(const std::filesystem::path &dir);
