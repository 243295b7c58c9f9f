#pragma once

// Small Windows metafiles made byte by byte: a filled rectangle over the whole
// picture, so a test knows the picture's size and its colour.
#include <cstdint>
#include <string>

namespace MetafileBytes {

inline void put16(std::string &out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

inline void put32(std::string &out, std::uint32_t v)
{
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

// A placeable WMF of width x height pixels at 96 dots per inch, filled with
// the colour 0x00BBGGRR.
inline std::string wmf(std::uint16_t width, std::uint16_t height, std::uint32_t colour)
{
    std::string records;
    auto record = [&records](std::uint16_t function, std::initializer_list<std::uint16_t> params) {
        put32(records, static_cast<std::uint32_t>(3 + params.size()));
        put16(records, function);
        for (std::uint16_t p : params)
            put16(records, p);
    };
    record(0x020B, {0, 0});          // SetWindowOrg y, x
    record(0x020C, {height, width}); // SetWindowExt y, x
    record(0x02FC, {0, static_cast<std::uint16_t>(colour & 0xFFFF), static_cast<std::uint16_t>(colour >> 16),
                    0});                   // CreateBrushIndirect: solid
    record(0x012D, {0});                   // SelectObject 0
    record(0x041B, {height, width, 0, 0}); // Rectangle bottom, right, top, left
    record(0x0000, {});                    // EOF

    std::string placeable;
    put32(placeable, 0x9AC6CDD7); // key
    put16(placeable, 0);          // handle
    put16(placeable, 0);          // left
    put16(placeable, 0);          // top
    put16(placeable, width);      // right
    put16(placeable, height);     // bottom
    put16(placeable, 96);         // units per inch
    put32(placeable, 0);          // reserved
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < placeable.size(); i += 2)
        checksum ^= static_cast<std::uint16_t>(static_cast<unsigned char>(placeable[i]) |
                                               (static_cast<unsigned char>(placeable[i + 1]) << 8));
    put16(placeable, checksum);

    std::string header;
    put16(header, 1);      // in memory
    put16(header, 9);      // header size in words
    put16(header, 0x0300); // version
    put32(header, static_cast<std::uint32_t>((18 + records.size()) / 2));
    put16(header, 1); // objects
    put32(header, 7); // largest record in words
    put16(header, 0);
    return placeable + header + records;
}

// An enhanced metafile of width x height pixels, filled with 0x00BBGGRR.
inline std::string emf(std::uint32_t width, std::uint32_t height, std::uint32_t colour)
{
    std::string records;
    put32(records, 39); // CreateBrushIndirect
    put32(records, 24);
    put32(records, 1); // handle 1
    put32(records, 0); // solid
    put32(records, colour);
    put32(records, 0);
    put32(records, 37); // SelectObject
    put32(records, 12);
    put32(records, 1);
    put32(records, 43); // Rectangle
    put32(records, 24);
    put32(records, 0);
    put32(records, 0);
    put32(records, width);
    put32(records, height);
    put32(records, 14); // EOF
    put32(records, 20);
    put32(records, 0);
    put32(records, 16);
    put32(records, 20);

    const std::uint32_t total = 88 + static_cast<std::uint32_t>(records.size());
    std::string header;
    put32(header, 1);  // header record
    put32(header, 88); // its size
    put32(header, 0);  // bounds in pixels
    put32(header, 0);
    put32(header, width - 1);
    put32(header, height - 1);
    // The frame in hundredths of a millimetre, for a device of 96 dots per inch.
    put32(header, 0);
    put32(header, 0);
    put32(header, width * 2540 / 96);
    put32(header, height * 2540 / 96);
    put32(header, 0x464D4520); // " EMF"
    put32(header, 0x10000);
    put32(header, total);
    put32(header, 5); // records
    put16(header, 2); // handles
    put16(header, 0);
    put32(header, 0); // no description
    put32(header, 0);
    put32(header, 0);    // no palette
    put32(header, 1024); // reference device in pixels
    put32(header, 768);
    put32(header, 271); // and in millimetres (96 dots per inch)
    put32(header, 203);
    return header + records;
}

} // namespace MetafileBytes
