#include "ListFilter.h"

namespace orvane {

char FoldSearchCase(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
    // Latin-1 capitals À to Þ, except the multiplication sign.
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
    return c;
}

namespace {

bool HoldsFolded(std::string_view text, const std::string& folded) {
    if (folded.size() > text.size()) return false;
    for (std::size_t start = 0; start + folded.size() <= text.size(); ++start) {
        std::size_t i = 0;
        while (i < folded.size() && FoldSearchCase(text[start + i]) == folded[i])
            ++i;
        if (i == folded.size()) return true;
    }
    return false;
}

} // namespace

std::vector<int> FilterListRows(const ListData& list, std::string_view filter) {
    std::vector<std::size_t> columns;
    for (std::size_t c = 0; c < list.columns.size(); ++c)
        if (list.columns[c].heading == "Name" || list.columns[c].heading == "Number")
            columns.push_back(c);
    std::string folded;
    for (const char c : filter)
        folded += FoldSearchCase(c);

    std::vector<int> rows;
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        const std::vector<std::string>& texts = list.rows[r].texts;
        bool match = folded.empty();
        for (std::size_t c : columns)
            if (!match && c < texts.size() && HoldsFolded(texts[c], folded)) match = true;
        if (match) rows.push_back(static_cast<int>(r));
    }
    return rows;
}

} // namespace orvane
