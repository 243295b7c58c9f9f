#include "TRandom.h"

#include <array>

namespace {

TRandom *g_replacement = nullptr;

} // namespace

TRandom &TRandom::run()
{
    static TSeededRandom source;
    return g_replacement ? *g_replacement : source;
}

TRandom::Replacement::Replacement(TRandom &source) : m_previous(g_replacement)
{
    g_replacement = &source;
}

TRandom::Replacement::~Replacement()
{
    g_replacement = m_previous;
}

TSeededRandom::TSeededRandom()
{
    std::random_device device;
    std::array<std::random_device::result_type, 8> seed{};
    for (auto &word : seed)
        word = device();
    std::seed_seq sequence(seed.begin(), seed.end());
    m_engine.seed(sequence);
}

std::size_t TSeededRandom::below(std::size_t count)
{
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(m_engine);
}
