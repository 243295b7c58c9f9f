#include "UpdateCheck.h"

#include "THttpClient.h"
#include "TIniFile.h"

#include <charconv>
#include <system_error>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

float VersionNumber(std::string_view text, char separator)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);

    // Checked here by the number's own grammar, then handed to from_chars with
    // a point, so that the C library's locale plays no part.
    std::string number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            number += '-';
        ++i;
    }
    std::size_t digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++digits)
        number += text[i];
    if (i < text.size() && text[i] == separator) {
        number += '.';
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++digits)
            number += text[i];
    }
    if (digits == 0)
        return 0.0f;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        number += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            number += text[i++];
        std::size_t exponentDigits = 0;
        for (; i < text.size() && isDigit(text[i]); ++i, ++exponentDigits)
            number += text[i];
        if (exponentDigits == 0)
            return 0.0f;
    }
    if (i != text.size())
        return 0.0f;
    float value = 0.0f;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size())
        return 0.0f;
    return value;
}

std::string VersionText(float version, char separator)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(version),
                                         std::chars_format::general, 15);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    for (char &c : text)
        if (c == '.')
            c = separator;
    return text;
}

std::string UpdateTexts::newVersion(std::string_view versionText)
{
    return "There is a new update: (version " + std::string(versionText) +
           ") available for your application!. Do you want download this update now?";
}

TUpdateOutcome CheckForUpdates(const TUpdateCheck &check, bool silent)
{
    const std::filesystem::path localFile = check.appDir / UpdateFileName;
    const std::string source = check.baseUrl + std::string(UpdateFileName);

    auto noUpdate = [&] {
        if (!silent)
            check.showMessage(std::string(UpdateTexts::NoUpdate), TMsgKind::Information, TMsgButton::OK);
        return TUpdateOutcome::NoUpdate;
    };

    bool downloaded = false;
    try {
        downloaded = check.download(source, localFile);
    } catch (const ETransferCancelled &) {
        // The window is closing: nothing more may be shown or started.
        return TUpdateOutcome::Stopped;
    }
    std::error_code ec;
    if (!downloaded || !std::filesystem::exists(localFile, ec))
        return noUpdate();

    const TIniFile description(localFile);
    const std::string versionText = description.ReadString("APPLICATION", "Version", "");
    description.ReadString("APPLICATION", "Name", "");
    const float offered = VersionNumber(versionText, check.decimalSeparator);
    if (check.builtInVersion >= offered)
        return noUpdate();

    if (check.showMessage(UpdateTexts::newVersion(versionText), TMsgKind::Information,
                          TMsgButton::OK | TMsgButton::Cancel) != 1)
        return TUpdateOutcome::Declined;

    const std::filesystem::path updater = check.appDir / UpdaterFileName;
    if (!std::filesystem::exists(updater, ec)) {
        check.showMessage(std::string(UpdateTexts::UpdaterMissing), TMsgKind::Warning, TMsgButton::OK);
        return TUpdateOutcome::UpdaterMissing;
    }

    if (check.showMessage(std::string(UpdateTexts::CloseToUpdate), TMsgKind::Information,
                          TMsgButton::OK | TMsgButton::Cancel) != 1)
        return TUpdateOutcome::Declined;

    try {
        check.startUpdater(updater,
                           {check.baseUrl, VersionText(check.builtInVersion, check.decimalSeparator), "A"});
    } catch (...) {
        // Whether the updater started is not looked at: the program closes all
        // the same, as the user agreed to.
    }
    return TUpdateOutcome::UpdaterStarted;
}
