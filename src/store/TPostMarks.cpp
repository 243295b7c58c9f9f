#include "TPostMarks.h"

#include "UUtils.h"

#include <vector>

void TPostMarks::clear()
{
    m_marked.clear();
    m_holder.reset();
}

void TPostMarks::rowsInserted(int first, int count)
{
    std::set<int> moved;
    for (int row : m_marked)
        moved.insert(row >= first ? row + count : row);
    m_marked.swap(moved);
    if (m_holder && m_holder->first >= first)
        m_holder->first += count;
}

void TPostMarks::rowsRemoved(int first, int count)
{
    std::set<int> kept;
    for (int row : m_marked) {
        if (row < first)
            kept.insert(row);
        else if (row >= first + count)
            kept.insert(row - count);
    }
    m_marked.swap(kept);
    if (m_holder) {
        if (m_holder->first >= first + count)
            m_holder->first -= count;
        else if (m_holder->first >= first)
            m_holder.reset();
    }
}

void TPostMarks::inserted(int row, std::string pageAddress)
{
    m_holder.emplace(row, std::move(pageAddress));
}

std::optional<int> TPostMarks::submitted(std::string_view pageAddress)
{
    if (!m_holder || m_holder->second != pageAddress)
        return std::nullopt;
    const int row = m_holder->first;
    m_holder.reset();
    m_marked.insert(row);
    return row;
}

std::optional<int> TPostMarks::nextUnmarked(int count, int from) const
{
    if (from < -1 || from >= count)
        from = -1;
    for (int step = 1; step <= count; ++step) {
        // From -1 the walk covers 0 to count - 1; from a row, the rows after
        // it, then those before it, then the row itself.
        const int row = (from + step) % count;
        if (!isMarked(row))
            return row;
    }
    return std::nullopt;
}

namespace PostMarks {
namespace {

std::string_view withoutWww(std::string_view site)
{
    if (site.size() > 4 && UUtils::EqualsIgnoringAsciiCase(site.substr(0, 4), "www."))
        site.remove_prefix(4);
    return site;
}

} // namespace

bool sameSite(std::string_view a, std::string_view b)
{
    if (a.empty() || b.empty())
        return false;
    return UUtils::EqualsIgnoringAsciiCase(withoutWww(a), withoutWww(b));
}

std::optional<int> forumOfPage(std::span<const std::string> sites, int selected, std::string_view pageSite)
{
    const int count = static_cast<int>(sites.size());
    if (selected >= 0 && selected < count && sameSite(sites[std::size_t(selected)], pageSite))
        return selected;
    for (int row = 0; row < count; ++row)
        if (sameSite(sites[std::size_t(row)], pageSite))
            return row;
    return std::nullopt;
}

} // namespace PostMarks
