#include "MessageBoxRules.h"

#include "Errors.h"
#include "UUtils.h"

#include <array>
#include <filesystem>

namespace {

struct ButtonInfo {
    TMsgButton button;
    std::string_view name;
    std::string_view caption;
    std::optional<int> result;
};

// In bit order, which is also the order of the buttons in the window.
constexpr std::array<ButtonInfo, 11> kButtons = {{
    {TMsgButton::Yes, "Yes", "&Yes", 6},
    {TMsgButton::No, "No", "&No", 7},
    {TMsgButton::OK, "OK", "OK", 1},
    {TMsgButton::Cancel, "Cancel", "Cancel", 2},
    {TMsgButton::Abort, "Abort", "&Abort", 3},
    {TMsgButton::Retry, "Retry", "&Retry", 4},
    {TMsgButton::Ignore, "Ignore", "&Ignore", 5},
    {TMsgButton::All, "All", "&All", 8},
    {TMsgButton::NoToAll, "NoToAll", "N&oToAll", 9},
    {TMsgButton::YesToAll, "YesToAll", "&YesToAll", 10},
    {TMsgButton::Help, "Help", "&Help", std::nullopt},
}};

const ButtonInfo &info(TMsgButton button)
{
    for (const ButtonInfo &b : kButtons)
        if (b.button == button)
            return b;
    // Every enumerator is in the table; only a value made by a cast gets here.
    throw EError("Not a message box button: " + std::to_string(unsigned(button)));
}

std::optional<TMsgButton> firstPresent(TMsgButtons buttons, std::initializer_list<TMsgButton> candidates)
{
    for (TMsgButton b : candidates)
        if (buttons.has(b))
            return b;
    return std::nullopt;
}

} // namespace

std::vector<TMsgButton> MessageBoxButtonOrder(TMsgButtons buttons)
{
    std::vector<TMsgButton> order;
    for (const ButtonInfo &b : kButtons)
        if (buttons.has(b.button))
            order.push_back(b.button);
    return order;
}

std::string_view ButtonName(TMsgButton button) { return info(button).name; }

std::string_view ButtonCaption(TMsgButton button) { return info(button).caption; }

std::optional<int> ButtonResult(TMsgButton button) { return info(button).result; }

std::optional<TMsgButton> DefaultButton(TMsgButtons buttons)
{
    return firstPresent(buttons, {TMsgButton::OK, TMsgButton::Yes, TMsgButton::Retry});
}

std::optional<TMsgButton> CancelButton(TMsgButtons buttons)
{
    return firstPresent(buttons, {TMsgButton::Cancel, TMsgButton::No, TMsgButton::OK});
}

std::string MessageBoxTitle(TMsgKind kind, const std::string &applicationTitle)
{
    switch (kind) {
    case TMsgKind::Warning:
        return "Warning";
    case TMsgKind::Error:
        return "Error";
    case TMsgKind::Information:
        return "Information";
    case TMsgKind::Confirmation:
        return "Confirm";
    case TMsgKind::Custom:
        break;
    }
    return applicationTitle;
}

std::string ApplicationTitle(std::string_view executablePath)
{
    std::string title = std::filesystem::path(executablePath).stem().string();
    for (std::size_t i = 1; i < title.size(); ++i)
        title[i] = UUtils::AsciiLower(title[i]);
    return title;
}

std::string ShownAsTyped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        out += c;
        if (c == '&')
            out += '&';
    }
    return out;
}
