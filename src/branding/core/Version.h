#pragma once

#include <string_view>

// The program's own version, in the two forms it is used in: the text the
// window caption and the reports show, and the number the update server's
// version is compared with (a 32-bit float, whose exact value is
// 1.0099999904632568359375).
namespace Version {

inline constexpr std::string_view Text = "1.01";
inline constexpr float Number = 1.01f;

// The program's name and version, as reports and logs name the program.
inline constexpr std::string_view Program = "Postwright 1.01";

} // namespace Version
