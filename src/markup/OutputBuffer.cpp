#include "OutputBuffer.h"

#include <algorithm>

namespace Markup {

namespace {

// How far the string's length runs ahead of what is written. Each step is a
// chance to make the block as large as the whole text will need while little
// is written yet; where the bytes gained are filled with zeros, the step keeps
// them inside the first-level data cache until they are written over.
constexpr std::size_t lengthStep = 16 * 1024;

// Makes the string n bytes long. Where the library allows, the bytes it gains
// are left as they are rather than filled with zeros: they are written over
// straight away, and filling them first would cost one more pass over the
// whole result, about a fifth of the markup's time on a long message.
void lengthen(std::string &s, std::size_t n)
{
#if defined(__cpp_lib_string_resize_and_overwrite)
    s.resize_and_overwrite(n, [](char *, std::size_t length) { return length; });
#else
    s.resize(n);
#endif
}

} // namespace

OutputBuffer::OutputBuffer(std::size_t inputSize) : m_inputSize(inputSize)
{
    // Links make most texts a little longer; a quarter more is room for a
    // message with a link every few lines.
    m_text.reserve(inputSize + inputSize / 4 + 64);
    m_next = m_end = m_text.data();
}

void OutputBuffer::grow(std::size_t n, std::size_t read)
{
    const std::size_t used = size(), capacity = m_text.capacity();
    // What the whole text will take: what the input read so far has grown
    // into, scaled to the whole input, with an eighth more.
    read = std::min(read, m_inputSize);
    const std::size_t left = m_inputSize - read;
    const double grown = read ? double(used + n) / double(read) : 1.0;
    const std::size_t expected = used + n + std::size_t(double(left) * grown * 1.125);
    // Moving to a larger block copies what is written so far. So once a few
    // thousand bytes tell how the text grows, and while little of it is
    // written, the block is made as large as expected at once; later only
    // when it is full, and then by half at least.
    const bool full = capacity - used < n;
    const bool early = read >= 4096 && used <= capacity / 8;
    if (full || (early && expected > capacity)) {
        m_text.resize(used);
        m_text.reserve(std::max({expected, used + n + left, full ? capacity + capacity / 2 : 0}));
    }
    lengthen(m_text, std::min(m_text.capacity(), used + std::max(n, lengthStep)));
    m_next = m_text.data() + used;
    m_end = m_text.data() + m_text.size();
}

std::string OutputBuffer::take()
{
    m_text.resize(size());
    return std::move(m_text);
}

} // namespace Markup
