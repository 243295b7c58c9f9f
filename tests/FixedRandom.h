#pragma once

// A random source that gives the choices a test names, in order, and keeps
// how many candidates each draw had.
#include "TRandom.h"

#include <QtGlobal>

#include <cstddef>
#include <deque>
#include <vector>

class FixedRandom : public TRandom {
public:
    explicit FixedRandom(std::deque<std::size_t> choices = {}) : m_choices(std::move(choices)) {}

    std::size_t below(std::size_t count) override
    {
        counts.push_back(count);
        if (m_choices.empty())
            qFatal("FixedRandom: no choice left for a draw among %zu", count);
        const std::size_t choice = m_choices.front();
        m_choices.pop_front();
        if (choice >= count)
            qFatal("FixedRandom: choice %zu out of %zu candidates", choice, count);
        return choice;
    }

    // The number of candidates of every draw so far.
    std::vector<std::size_t> counts;

private:
    std::deque<std::size_t> m_choices;
};
