#pragma once

// The Windows test programs: plain C++, a table of cases, a line for each
// failure and a non-zero exit when any case failed.
#include <cstdio>
#include <string>
#include <string_view>

class Check {
public:
    explicit Check(const char *program) : m_program(program) {}

    // Records one case; prints it when it failed.
    bool equal(std::string_view what, std::string_view got, std::string_view expected)
    {
        ++m_cases;
        if (got == expected)
            return true;
        ++m_failures;
        std::printf("FAIL %s: got \"%s\", expected \"%s\"\n", std::string(what).c_str(),
                    printable(got).c_str(), printable(expected).c_str());
        return false;
    }

    bool that(std::string_view what, bool condition)
    {
        ++m_cases;
        if (condition)
            return true;
        ++m_failures;
        std::printf("FAIL %s\n", std::string(what).c_str());
        return false;
    }

    // The closing line and the program's exit code.
    int finish() const
    {
        std::printf("%s: %d passed, %d failed\n", m_program, m_cases - m_failures, m_failures);
        return m_failures == 0 && m_cases > 0 ? 0 : 1;
    }

    // Bytes outside printable ASCII as \xNN, so a failure line shows them.
    static std::string printable(std::string_view bytes)
    {
        // A long text shows its start and its length.
        if (bytes.size() > 64)
            return printable(bytes.substr(0, 32)) + "... (" + std::to_string(bytes.size()) + " bytes)";
        std::string out;
        for (unsigned char c : bytes) {
            if (c >= 32 && c < 127 && c != '\\') {
                out += static_cast<char>(c);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            }
        }
        return out;
    }

private:
    const char *m_program;
    int m_cases = 0;
    int m_failures = 0;
};
