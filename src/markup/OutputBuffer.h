#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace Markup {

// A text that grows as it is written, from the front of an input towards its
// end, through a plain pointer: small pieces cost a few moves each rather than
// a call to std::string::append.
//
// The string's length runs a little ahead of what is written: it is extended
// by small steps, each of which looks again at how the text grows. Its
// capacity is made ahead from what the input read so far has grown into, so a
// result is moved to a larger block once or twice at most.
class OutputBuffer {
public:
    // inputSize: the length of the input the text is made from.
    explicit OutputBuffer(std::size_t inputSize);

    // A place for n more bytes, read being how much of the input has been
    // written so far. It holds until the next call of room().
    char *room(std::size_t n, std::size_t read)
    {
        if (std::size_t(m_end - m_next) < n)
            grow(n, read);
        return m_next;
    }

    // How many bytes fit before room() has to make more.
    std::size_t spare() const { return std::size_t(m_end - m_next); }

    // The next n bytes, at the place room() gave, are written.
    void advance(std::size_t n) { m_next += n; }

    // Takes back the last n bytes written.
    void rewind(std::size_t n) { m_next -= n; }

    // Writes the pieces one after the other. None may lie in the buffer
    // itself: making room can move it.
    template <class... Pieces> void put(std::size_t read, const Pieces &...pieces)
    {
        char *p = room((std::size_t(0) + ... + pieces.size()), read);
        ((copySmall(p, pieces.data(), pieces.size()), p += pieces.size()), ...);
        m_next = p;
    }

    std::size_t size() const { return std::size_t(m_next - m_text.data()); }
    const char *data() const { return m_text.data(); }

    // The text written; the buffer is done with.
    std::string take();

    // Copies n bytes. Most pieces of a link and most addresses are short, and
    // for them a few moves of fixed size cost less than a call to memcpy.
    static void copySmall(char *to, const char *from, std::size_t n)
    {
        if (n > 64) {
            std::memcpy(to, from, n);
        } else if (n > 32) {
            std::memcpy(to, from, 32);
            std::memcpy(to + n - 32, from + n - 32, 32);
        } else if (n >= 16) {
            std::memcpy(to, from, 16);
            std::memcpy(to + n - 16, from + n - 16, 16);
        } else if (n >= 8) {
            std::memcpy(to, from, 8);
            std::memcpy(to + n - 8, from + n - 8, 8);
        } else if (n >= 4) {
            std::memcpy(to, from, 4);
            std::memcpy(to + n - 4, from + n - 4, 4);
        } else if (n > 0) {
            to[0] = from[0];
            to[n / 2] = from[n / 2];
            to[n - 1] = from[n - 1];
        }
    }

private:
    void grow(std::size_t n, std::size_t read);

    std::size_t m_inputSize;
    std::string m_text;
    char *m_next; // where the next byte goes
    char *m_end;  // the end of the string's length
};

} // namespace Markup
