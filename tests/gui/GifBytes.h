#pragma once

// Small GIF files made byte by byte: frames of one colour each, from a table
// of four colours, where colour index 3 can be transparent.
#include <QColor>
#include <QList>

#include <cstdint>
#include <string>

namespace GifBytes {

struct Frame {
    int colour;          // index into the four colours, 0 to 3
    bool transparent;    // index 3 is transparent in this frame
    int delayHundredths; // how long the frame stays
};

inline const QList<QColor> &colours()
{
    static const QList<QColor> table{QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 255, 0),
                                     QColor(255, 255, 255)};
    return table;
}

inline void put16(std::string &out, int v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

// The picture data of a frame of count pixels of one index. Each code is three
// bits; a clear code before every two pixels keeps the decoder's code size
// there, which is valid if not compact.
inline std::string imageData(int count, int index)
{
    std::string out(1, '\x02'); // smallest code size
    std::string packed;
    std::uint32_t bits = 0;
    int used = 0;
    auto code = [&](int c) {
        bits |= static_cast<std::uint32_t>(c) << used;
        used += 3;
        while (used >= 8) {
            packed += static_cast<char>(bits & 0xFF);
            bits >>= 8;
            used -= 8;
        }
    };
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0)
            code(4); // clear
        code(index);
    }
    code(5); // end
    if (used > 0)
        packed += static_cast<char>(bits & 0xFF);
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::string block = packed.substr(at, 255);
        out += static_cast<char>(block.size());
        out += block;
    }
    out += '\0';
    return out;
}

// A GIF of width x height with the given frames. loops < 0 writes no looping
// extension, so the file itself asks to be played once.
inline std::string gif(int width, int height, const QList<Frame> &frames, int loops = -1)
{
    std::string out = "GIF89a";
    put16(out, width);
    put16(out, height);
    out += '\x81'; // a global table of four colours
    out += '\0';
    out += '\0';
    for (const QColor &c : colours()) {
        out += static_cast<char>(c.red());
        out += static_cast<char>(c.green());
        out += static_cast<char>(c.blue());
    }
    if (loops >= 0) {
        out += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
        put16(out, loops);
        out += '\0';
    }
    for (const Frame &f : frames) {
        out += "\x21\xF9\x04";
        // Each frame starts from a clear picture (disposal: restore to background).
        out += static_cast<char>(0x08 | (f.transparent ? 0x01 : 0x00));
        put16(out, f.delayHundredths);
        out += '\x03';
        out += '\0';
        out += '\x2C';
        put16(out, 0);
        put16(out, 0);
        put16(out, width);
        put16(out, height);
        out += '\0';
        out += imageData(width * height, f.colour);
    }
    out += '\x3B';
    return out;
}

} // namespace GifBytes
