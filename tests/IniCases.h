#pragma once

// The profile reader's cases, shared by the reader's own test and by the
// Windows test that reads the same texts with the system's profile reader.
// Plain C++ with no toolkit, so that both builds can use it.
#include <string>
#include <string_view>
#include <vector>

namespace IniCases {

// A read of section and key from text; "default" is the default value.
struct Rule {
    const char *name;
    std::string_view text;
    std::string_view section;
    std::string_view key;
    std::string_view expected;
};

inline constexpr std::string_view kDefault = "default";

inline constexpr Rule kRules[] = {
    // Lines
    {"CR LF", "[S]\r\nA=1\r\nB=2\r\n", "S", "B", "2"},
    {"LF", "[S]\nA=1\nB=2", "S", "B", "2"},
    {"lone CR", "[S]\rA=1\rB=2\r", "S", "A", "1"},
    {"CR CR LF is two line ends", "[S]\r\r\nA=1", "S", "A", "1"},
    {"last line without end", "[S]\nA=last", "S", "A", "last"},
    {"byte-order mark skipped", "\xEF\xBB\xBF[S]\nA=1", "S", "A", "1"},
    {"byte-order mark only at the start",
     "[S]\n\xEF\xBB\xBF"
     "A=1",
     "S",
     "\xEF\xBB\xBF"
     "A",
     "1"},

    // Trimming
    {"blanks around key and value", "[S]\n \t Key \x0b= \f value \t\n", "S", "Key", "value"},
    {"blanks inside value kept", "[S]\nKey=a  b\tc", "S", "Key", "a  b\tc"},
    {"blanks around section name", "  [ \tSettings  ]  \nK=v", "Settings", "K", "v"},
    {"byte 8 is no blank", "[S]\nK=\x08v\x08", "S", "K", "\x08v\x08"},

    // Sections
    {"header to last bracket", "[a]b] rest\nK=v", "a]b", "K", "v"},
    {"text after the last bracket is dropped", "[S] ; note\nK=v", "S", "K", "v"},
    {"bracket without close is a key line", "[S]\n[x=1", "S", "[x", "1"},
    {"empty section name", "[]\nK=v", "", "K", "v"},
    {"lines before first header belong nowhere", "K=v\n[S]\nO=1", "S", "K", kDefault},
    {"lines before first header not in empty section", "K=v\n[]\n", "", "K", kDefault},
    {"key of another section not found", "[A]\nK=a\n[B]\nL=b", "B", "K", kDefault},
    {"section case", "[SeTTings]\nK=v", "sEttINGS", "K", "v"},
    {"only first of two sections searched", "[S]\nA=1\n[T]\n[s]\nB=2", "S", "B", kDefault},
    {"first section of the name found", "[S]\nA=1\n[s]\nA=2", "S", "A", "1"},
    {"case folding is ASCII only", "[\xC4]\nK=v", "\xE4", "K", kDefault},

    // Keys and values
    {"key to first equals", "[S]\nK=a=b", "S", "K", "a=b"},
    {"key case", "[S]\nBannerPath1=x", "S", "bannerpath1", "x"},
    {"first matching key counts", "[S]\nk=1\nK=2", "S", "K", "1"},
    {"comment after value is value", "[S]\nK=v ; note", "S", "K", "v ; note"},
    {"semicolon line is an ordinary key", "[S]\n;K=v", "S", ";K", "v"},
    {"line without equals holds no key", "[S]\nK\nK=v", "S", "K", "v"},
    {"line without equals is no key", "[S]\nKey", "S", "Key", kDefault},
    {"empty value is found", "[S]\nK=", "S", "K", ""},
    {"blank key", "[S]\n = v", "S", "", "v"},
    {"key with inner blanks", "[S]\nA B = v", "S", "A B", "v"},

    // Quotes
    {"double quotes", "[S]\nK=\" a \"", "S", "K", " a "},
    {"single quotes", "[S]\nK='a'", "S", "K", "a"},
    {"quotes after trimming", "[S]\nK=  \"a\"  ", "S", "K", "a"},
    {"only one pair", "[S]\nK=\"\"a\"\"", "S", "K", "\"a\""},
    {"mixed quotes kept", "[S]\nK=\"a'", "S", "K", "\"a'"},
    {"quote at one end kept", "[S]\nK=\"a", "S", "K", "\"a"},
    {"lone quote kept", "[S]\nK=\"", "S", "K", "\""},
    {"empty quotes", "[S]\nK=''", "S", "K", ""},
    {"quotes inside kept", "[S]\nK=a \"b\" c", "S", "K", "a \"b\" c"},

    // Missing things and raw bytes
    {"empty text", "", "S", "K", kDefault},
    {"missing section", "[S]\nK=v", "T", "K", kDefault},
    {"missing key", "[S]\nK=v", "S", "L", kDefault},
    {"bytes as they stand", "[S]\nK=\xE9\x80\xFF", "S", "K", "\xE9\x80\xFF"},
    {"byte 0 inside a value", std::string_view("[S]\nK=a\0b\nL=c", 13), "S", "K",
     std::string_view("a\0b", 3)},
    {"byte 0 ends no line", std::string_view("[S]\nK=a\0b\nL=c", 13), "S", "L", "c"},
};

// A value line of section [S], read as key K, around the longest value a
// read gives back (2047 characters).
struct LongValue {
    const char *name;
    std::string line;
    std::string expected;
};

inline std::vector<LongValue> longValues()
{
    const std::string v2047(2047, 'x');
    return {
        {"2047 kept", "K=" + v2047, v2047},
        {"2048 cut", "K=" + std::string(2047, 'y') + 'z', std::string(2047, 'y')},
        {"5000 cut", "K=" + std::string(5000, 'a'), std::string(2047, 'a')},
        {"quotes removed before the cut", "K=\"" + std::string(2047, 'q') + "\"", std::string(2047, 'q')},
        {"trimmed before the cut", "K=" + v2047 + "    ", v2047},
    };
}

// The whole text a long value case is read from: a key after it proves that
// the long line ended where it should.
inline std::string longValueText(const LongValue &c)
{
    return "[S]\n" + c.line + "\nNext=1\n";
}

} // namespace IniCases
