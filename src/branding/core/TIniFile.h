#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A profile (INI) file read the way the system's profile reader reads it, so
// branding and update files written for that reader mean the same here:
// - CR LF, LF and a lone CR end a line; a UTF-8 byte-order mark at the start
//   is skipped; every other byte is taken as it stands.
// - Bytes 9 to 13 and 32 are trimmed around section names, keys and values.
// - A section header runs from "[" to the last "]" on its line; lines before
//   the first header belong to no section.
// - A key runs to the first "=", its value is the rest of the line (a "; text"
//   after a value is part of it); a line without "=" holds no key.
// - A value enclosed in one matching pair of double or single quotes loses
//   them; a value longer than 2047 characters is cut to 2047.
// - Section and key names compare without regard to ASCII case; of two
//   sections of the same name only the first is searched, and in it the first
//   matching key counts.
// - A missing file, section or key reads as the default.
class TIniFile {
public:
    // The longest value a read gives back.
    static constexpr std::size_t MaxValueLength = 2047;

    // Reads the file once. A missing file reads as empty; a file that is there
    // but cannot be read raises EFileError naming it and the system's reason.
    explicit TIniFile(const std::filesystem::path &file);

    // Builds the reader over text already in memory.
    static TIniFile fromText(std::string_view text);

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;

private:
    TIniFile() = default;
    void parse(std::string_view text);

    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    std::vector<Section> m_sections;
};
