// The profile reader's cases read twice under Windows: by our reader and by
// the system's own GetPrivateProfileStringA, from the same file. Both must
// give what the case expects, so a difference shows which one strays.
#include "Check.h"
#include "Scratch.h"
#include "IniCases.h"
#include "TIniFile.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

void writeBytes(const fs::path &file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The system's reading of one key into a buffer of 2048 characters, as a
// program reading settings hands it: the system cuts a longer value to fit.
std::string systemRead(const fs::path &file, std::string_view section, std::string_view key,
                       std::string_view defaultValue)
{
    std::vector<char> buffer(TIniFile::MaxValueLength + 1, '\x7f');
    const DWORD n = GetPrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                             std::string(defaultValue).c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), file.string().c_str());
    return std::string(buffer.data(), n);
}

// Where Wine's emulation of the profile reader answers otherwise than our
// reader, with Wine's answer. Under Wine these cases expect Wine's answer, so
// that a change in Wine shows; under Windows every case expects the table's
// answer, which is where the last two are still to be seen.
struct WineDifference {
    std::string rule;
    std::string wineAnswer;
};
const std::vector<WineDifference> kWineDifferences = {
    // Wine keeps a line without "=" as a key with no value and finds it by
    // name, then gives the default. Windows does not take such a line for a
    // key at all (Wine's own tests show Windows leaving it out of the list of
    // keys), so the later "K=v" is the key found.
    {"line without equals holds no key", std::string(IniCases::kDefault)},
    // Wine files the lines before the first header under a section with an
    // empty name that comes first, so "[]" is the second section of that
    // name and is never searched, while the lines before the header are found.
    {"empty section name", std::string(IniCases::kDefault)},
    {"lines before first header not in empty section", "v"},
    // Wine turns the file into UTF-16 and hands the value back as a string
    // that ends at its first zero.
    {"byte 0 inside a value", "a"},
    // Wine copies the quoted value into the buffer before it drops the
    // quotes, and then drops the last character it kept whenever the value
    // filled the buffer: here a "q", since the closing quote did not fit.
    {"quotes removed before the cut", std::string(TIniFile::MaxValueLength - 1, 'q')},
};

bool underWine()
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string_view systemExpects(std::string_view rule, std::string_view expected, bool wine)
{
    if (wine)
        for (const WineDifference &d : kWineDifferences)
            if (d.rule == rule)
                return d.wineAnswer;
    return expected;
}

} // namespace

int main()
{
    Check check("tst_win_inifile");
    const bool wine = underWine();
    // Every difference names a case of the tables.
    const std::vector<IniCases::LongValue> longValues = IniCases::longValues();
    for (const WineDifference &d : kWineDifferences)
        check.that("known difference names a case: " + d.rule,
                   std::any_of(std::begin(IniCases::kRules), std::end(IniCases::kRules),
                               [&](const IniCases::Rule &c) { return d.rule == c.name; }) ||
                       std::any_of(longValues.begin(), longValues.end(),
                                   [&](const IniCases::LongValue &c) { return d.rule == c.name; }));
    const fs::path dir = scratchPath(L"postwright-ini-");
    fs::create_directories(dir);

    int index = 0;
    for (const IniCases::Rule &c : IniCases::kRules) {
        // Each case gets a file of its own: the system caches the last profile
        // it read, keyed by name and time stamp.
        const fs::path caseFile = dir / ("case" + std::to_string(index++) + ".ini");
        writeBytes(caseFile, c.text);
        const std::string name = c.name;
        const std::string ours = TIniFile(caseFile).ReadString(c.section, c.key, IniCases::kDefault);
        check.equal(name + " (our reader)", ours, c.expected);
        check.equal(name + " (GetPrivateProfileStringA)",
                    systemRead(caseFile, c.section, c.key, IniCases::kDefault),
                    systemExpects(c.name, c.expected, wine));
    }
    for (const IniCases::LongValue &c : longValues) {
        const fs::path caseFile = dir / ("case" + std::to_string(index++) + ".ini");
        writeBytes(caseFile, IniCases::longValueText(c));
        const std::string name = c.name;
        const TIniFile ours(caseFile);
        check.equal(name + " (our reader)", ours.ReadString("S", "K", ""), c.expected);
        check.equal(name + ", next key (our reader)", ours.ReadString("S", "Next", ""), "1");
        check.equal(name + " (GetPrivateProfileStringA)", systemRead(caseFile, "S", "K", ""),
                    systemExpects(c.name, c.expected, wine));
        check.equal(name + ", next key (GetPrivateProfileStringA)", systemRead(caseFile, "S", "Next", ""),
                    "1");
    }

    std::error_code ec;
    fs::remove_all(dir, ec);
    return check.finish();
}
