// Rows of two text lines for a list whose columns do not fit its width side by side (the
// call log: six columns in a window a third as wide). Some columns then stand below or
// beside another one, in that column's cell and heading, and are hidden as columns of
// their own: the list's columns and headings stay as they are, only the drawing changes.
// Both shells fit their lists with it; they only measure texts and draw.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvane {

// Between a line's left and right parts, in pixels.
constexpr int kTwoLinePartGap = 10;
// The smallest cell height (pixels at 96 dots an inch) a list's font steps down to.
constexpr int kSmallestListCell = 16;

// Where each of a list's columns is drawn when its rows have two lines.
struct TwoLinePlan {
    struct Place {
        int column = 0;     // the list's column
        int shownIn = 0;    // the column whose cell draws it
        int line = 0;       // 0 the upper, 1 the lower
        bool right = false; // at the right end of its line, after a left part
    };
    std::vector<Place> places;

    bool Empty() const { return places.empty(); }
    // The plan for a list with these headings, if it has one; else an empty plan.
    static TwoLinePlan ForHeadings(const std::vector<std::string>& headings);
    // True for a column drawn in another column's cell.
    bool MovedAway(int column) const;
    // The parts a shown column draws; empty for one drawn as usual.
    std::vector<Place> PartsOf(int shownIn) const;
};

// The room a two-line cell needs: its widest line, parts and gaps, from the parts' text
// widths (in the order of `parts`).
int TwoLineWidth(const std::vector<TwoLinePlan::Place>& parts, const std::vector<int>& widths);

// How a list is drawn: one line (no plan) or two, in the described font (cellHeight 0) or
// a smaller one of that cell height.
struct ListFit {
    TwoLinePlan plan;
    int cellHeight = 0;
};

// The first way of drawing the list that `fits` accepts: one line in the described font;
// then, for a list with a plan, two lines in the described font, then in fonts one pixel
// smaller at a time down to kSmallestListCell. Where none fits, the last one tried.
// `fits` puts each candidate in force before it answers (the shell measures with it).
ListFit FitList(const std::vector<std::string>& headings, int describedCellHeight,
                const std::function<bool(const ListFit&)>& fits);

// Shares a list's width among its columns, given what each one needs (`want`, pixels; 0 for
// a column not shown): where the needs pass `room`, an "ID" column gives up what is missing
// first and a "Name" column next, each down to floorOf(column) (numbers, addresses and
// dates are never cut); where they are less, the "Name" column takes the rest, so no
// scroll bar is needed sideways where everything fits. Returns the total width drawn,
// more than `room` only where even the cuts do not fit. floorOf is asked only when a cut
// is needed.
int ShareListRoom(const std::vector<std::string>& headings, std::vector<int>& want, int room,
                  const std::function<int(int column)>& floorOf);

} // namespace orvane
