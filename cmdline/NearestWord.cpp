#include "cmdline/NearestWord.h"

#include <algorithm>
#include <numeric>

namespace cmdline {
namespace {

// Insertions, deletions, substitutions and swaps of two neighbours ("gte"
// for "get" is one slip of the fingers) that turn one text into the other.
std::size_t EditDistance(const std::string& a, const std::string& b)
{
    // Three rows: a swap looks two characters back.
    std::vector<std::size_t> before(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
    std::iota(previous.begin(), previous.end(), std::size_t {0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                row[j] = std::min(row[j], before[j - 2] + 1);
        }
        before.swap(previous);
        previous.swap(row);
    }
    return previous[b.size()];
}

} // namespace

std::optional<std::string> NearestWord(const std::string& word, const std::vector<std::string>& candidates)
{
    std::optional<std::string> nearest;
    std::size_t best = std::min<std::size_t>(3, (word.size() + 1) / 2);
    for (const std::string& candidate : candidates) {
        if (const std::size_t distance = EditDistance(word, candidate); distance < best) {
            best = distance;
            nearest = candidate;
        }
    }
    return nearest;
}

} // namespace cmdline
