#pragma once

#include <cstddef>
#include <memory>
#include <random>

// A source of random choices. The program has one for its whole run, seeded
// when the run starts; tests put a source of their own in its place to choose
// a given banner or link.
class TRandom {
public:
    virtual ~TRandom() = default;
    // A number from 0 to count - 1, every one equally likely; count > 0.
    virtual std::size_t below(std::size_t count) = 0;

    // The run's source. The first call seeds it from the system's entropy.
    static TRandom &run();

    // Puts source in place of the run's until the returned guard goes.
    class Replacement {
    public:
        explicit Replacement(TRandom &source);
        ~Replacement();
        Replacement(const Replacement &) = delete;
        Replacement &operator=(const Replacement &) = delete;

    private:
        TRandom *m_previous;
    };
};

// Draws from a generator seeded once.
class TSeededRandom final : public TRandom {
public:
    TSeededRandom();
    std::size_t below(std::size_t count) override;

private:
    std::mt19937_64 m_engine;
};
