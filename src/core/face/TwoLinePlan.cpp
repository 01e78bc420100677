#include "TwoLinePlan.h"

#include <algorithm>

namespace orvane {

namespace {

int ColumnOf(const std::vector<std::string>& headings, const char* heading) {
    for (std::size_t i = 0; i < headings.size(); ++i)
        if (headings[i] == heading) return static_cast<int>(i);
    return -1;
}

} // namespace

TwoLinePlan TwoLinePlan::ForHeadings(const std::vector<std::string>& headings) {
    // The call log: the name above its number, the date above the time and the duration.
    const int name = ColumnOf(headings, "Name");
    const int number = ColumnOf(headings, "Number");
    const int date = ColumnOf(headings, "Date");
    const int time = ColumnOf(headings, "Time");
    const int duration = ColumnOf(headings, "Duration");
    if (name < 0 || number < 0 || date < 0 || time < 0 || duration < 0) return {};
    TwoLinePlan plan;
    plan.places = {{name, name, 0, false},
                   {number, name, 1, false},
                   {date, date, 0, false},
                   {time, date, 1, false},
                   {duration, date, 1, true}};
    return plan;
}

bool TwoLinePlan::MovedAway(int column) const {
    return std::any_of(places.begin(), places.end(),
                       [&](const Place& p) { return p.column == column && p.shownIn != column; });
}

std::vector<TwoLinePlan::Place> TwoLinePlan::PartsOf(int shownIn) const {
    std::vector<Place> parts;
    for (const Place& p : places)
        if (p.shownIn == shownIn) parts.push_back(p);
    return parts;
}

int TwoLineWidth(const std::vector<TwoLinePlan::Place>& parts, const std::vector<int>& widths) {
    int widest = 0;
    for (int line = 0; line < 2; ++line) {
        int width = 0;
        int count = 0;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (parts[i].line != line) continue;
            const int text = i < widths.size() ? widths[i] : 0;
            width += text + (count++ > 0 ? kTwoLinePartGap : 0);
        }
        widest = std::max(widest, width);
    }
    return widest;
}

ListFit FitList(const std::vector<std::string>& headings, int describedCellHeight,
                const std::function<bool(const ListFit&)>& fits) {
    ListFit fit;
    if (fits(fit)) return fit;
    fit.plan = TwoLinePlan::ForHeadings(headings);
    if (fit.plan.Empty()) {
        // The one-line candidate was the last put in force: it stays.
        return fit;
    }
    if (fits(fit)) return fit;
    for (int height = describedCellHeight - 1; height >= kSmallestListCell; --height) {
        fit.cellHeight = height;
        if (fits(fit)) break;
    }
    return fit;
}

int ShareListRoom(const std::vector<std::string>& headings, std::vector<int>& want, int room,
                  const std::function<int(int column)>& floorOf) {
    // A column the needs do not cover has nothing to give or take.
    auto columnOf = [&](const char* heading) {
        const int i = ColumnOf(headings, heading);
        return i >= 0 && static_cast<std::size_t>(i) < want.size() ? i : -1;
    };
    int total = 0;
    for (int width : want)
        total += width;
    for (const char* heading : {"ID", "Name"}) {
        const int i = columnOf(heading);
        if (i < 0 || total <= room) continue;
        int& width = want[static_cast<std::size_t>(i)];
        const int give = std::min(total - room, std::max(0, width - floorOf(i)));
        width -= give;
        total -= give;
    }
    const int name = columnOf("Name");
    if (name >= 0 && total < room) {
        want[static_cast<std::size_t>(name)] += room - total;
        total = room;
    }
    return total;
}

} // namespace orvane
