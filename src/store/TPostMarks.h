#pragma once

#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

// Where the current message has gone: the rows of the forum list whose forum
// took it and sent it, and the page that last took it. Rows follow their
// forums when rows are added or removed above them. Nothing here outlives the
// run.
class TPostMarks {
public:
    bool isMarked(int row) const { return m_marked.count(row) != 0; }
    bool anyMarked() const { return !m_marked.empty(); }
    void mark(int row) { m_marked.insert(row); }

    // The message changed: no forum has it, and no page holds it any more.
    void clear();

    // count rows were put in at first; marks at and below it move down.
    void rowsInserted(int first, int count);
    // Rows first to first + count - 1 went away, with their marks.
    void rowsRemoved(int first, int count);

    // The message was put into the page at pageAddress, which belongs to the
    // forum of row.
    void inserted(int row, std::string pageAddress);
    // A form was sent from the page at pageAddress. When that page took the
    // message, its forum is marked and its row returned; the page has to take
    // the message again before another form sent from it counts.
    std::optional<int> submitted(std::string_view pageAddress);

    // The row "Next Forum" goes to: the first unmarked row after from, in list
    // order, wrapping round to the top, with from itself last (from -1 starts
    // at the top). Nothing when every one of count rows is marked.
    std::optional<int> nextUnmarked(int count, int from) const;

private:
    std::set<int> m_marked;
    // The page that took the message, and its forum's row.
    std::optional<std::pair<int, std::string>> m_holder;
};

namespace PostMarks {

// Whether two sites (host names, with a port where the address names one)
// are the same, in any case and with or without a leading "www.". Empty sites
// are no site.
bool sameSite(std::string_view a, std::string_view b);

// The forum a page at pageSite belongs to: the selected row's forum when its
// site is the page's, else the first forum in list order on that site, else
// nothing. sites holds each row's site.
std::optional<int> forumOfPage(std::span<const std::string> sites, int selected, std::string_view pageSite);

} // namespace PostMarks
