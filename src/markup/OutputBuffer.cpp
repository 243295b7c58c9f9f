#include "OutputBuffer.h"

#include <algorithm>

namespace Markup {

namespace {

// How far the string's length runs ahead of what is written: well inside the
// first-level data cache.
constexpr std::size_t lengthStep = 16 * 1024;

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
    const std::size_t used = size();
    if (m_text.capacity() - used < n) {
        // Scale what the input read so far has grown into to the whole input,
        // with an eighth more, and grow by half at least.
        read = std::min(read, m_inputSize);
        const std::size_t left = m_inputSize - read;
        const double grown = read ? double(used + n) / double(read) : 1.0;
        const std::size_t wanted = used + n + std::size_t(double(left) * grown * 1.125);
        m_text.resize(used);
        m_text.reserve(std::max({wanted, used + n + left, m_text.capacity() + m_text.capacity() / 2}));
    }
    m_text.resize(std::min(m_text.capacity(), used + std::max(n, lengthStep)));
    m_next = m_text.data() + used;
    m_end = m_text.data() + m_text.size();
}

std::string OutputBuffer::take()
{
    m_text.resize(size());
    return std::move(m_text);
}

} // namespace Markup
