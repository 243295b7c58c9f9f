#pragma once

// Reading and writing the tests' data files byte for byte.
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

inline std::string readBytes(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeBytes(const std::filesystem::path &file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::filesystem::path dirOf(const QTemporaryDir &dir) { return std::filesystem::path(dir.path().toStdString()); }
