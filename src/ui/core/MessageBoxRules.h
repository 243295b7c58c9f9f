#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a message box says about itself: its kind, its buttons and what each
// button gives back. The window that shows it lives in the window library.

// The kind of a message; it chooses the window title and the icon.
enum class TMsgKind : int {
    Warning = 0,
    Error = 1,
    Information = 2,
    Confirmation = 3,
    Custom = 4,
};

// One bit per button. Buttons always stand in this order, left to right.
enum class TMsgButton : std::uint16_t {
    Yes = 1u << 0,
    No = 1u << 1,
    OK = 1u << 2,
    Cancel = 1u << 3,
    Abort = 1u << 4,
    Retry = 1u << 5,
    Ignore = 1u << 6,
    All = 1u << 7,
    NoToAll = 1u << 8,
    YesToAll = 1u << 9,
    Help = 1u << 10,
};

// A set of buttons, as the 16-bit word of flags a caller passes.
class TMsgButtons {
public:
    constexpr TMsgButtons() = default;
    constexpr TMsgButtons(TMsgButton button) : m_bits(std::uint16_t(button)) {}
    static constexpr TMsgButtons fromBits(std::uint16_t bits)
    {
        TMsgButtons set;
        set.m_bits = bits;
        return set;
    }

    constexpr std::uint16_t bits() const { return m_bits; }
    constexpr bool has(TMsgButton button) const { return (m_bits & std::uint16_t(button)) != 0; }
    constexpr TMsgButtons operator|(TMsgButtons other) const { return fromBits(m_bits | other.m_bits); }
    constexpr bool operator==(const TMsgButtons &) const = default;

private:
    std::uint16_t m_bits = 0;
};

constexpr TMsgButtons operator|(TMsgButton a, TMsgButton b) { return TMsgButtons(a) | TMsgButtons(b); }

// What a box returns when it is closed other than by a button with a result.
inline constexpr int MsgClosedResult = 2;

// The buttons of a set, in the order they stand in the window. Bits above the
// eleven known buttons are ignored.
std::vector<TMsgButton> MessageBoxButtonOrder(TMsgButtons buttons);

// The button's name ("NoToAll"), under which the window's control is found.
std::string_view ButtonName(TMsgButton button);

// The button's caption; "&" marks the access key ("N&oToAll").
std::string_view ButtonCaption(TMsgButton button);

// The result a button closes the box with; Help has none, it does not close.
std::optional<int> ButtonResult(TMsgButton button);

// The button Enter presses: OK when present, else Yes, else Retry.
std::optional<TMsgButton> DefaultButton(TMsgButtons buttons);

// The button Esc presses: Cancel when present, else No, else OK.
std::optional<TMsgButton> CancelButton(TMsgButtons buttons);

// The window title for a kind; the custom kind takes the application title.
std::string MessageBoxTitle(TMsgKind kind, const std::string &applicationTitle);

// The application title made from the executable's path: the file name without
// folder and extension, its first character unchanged and every later letter
// (A to Z) in lower case. "/opt/PostWright.EXE" gives "Postwright".
std::string ApplicationTitle(std::string_view executablePath);

// The text a box shows character for character: each "&" doubled, since the box
// otherwise takes a single "&" as the mark of an access key.
std::string ShownAsTyped(std::string_view text);
