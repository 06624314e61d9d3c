#pragma once
// Lines received against lines expected, both in order: which were received as expected,
// which expected ones are missing and which received ones were not expected at all.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace e2e {

struct Alignment {
    std::size_t matched = 0;
    std::size_t missing = 0;             // expected, never received
    std::vector<std::size_t> extra;      // indexes in `got` of the lines that were not expected
    std::size_t missing_before_end = 0;  // of `missing`, those before the last matched line

    bool Exact() const { return missing == 0 && extra.empty(); }
};

// Walks both in step. A received line that differs from the next expected one is looked for
// among the following `lookahead` expected ones: found, the ones skipped are missing;
// not found, it is extra. Values repeat in a stream, so a small lookahead keeps a stray line
// from being taken for a much later one.
template <typename T>
Alignment Align(const std::vector<T>& expected, const std::vector<T>& got, std::size_t lookahead) {
    Alignment a;
    std::size_t e = 0;
    for (std::size_t g = 0; g < got.size(); ++g) {
        const std::size_t end = std::min(expected.size(), e + 1 + lookahead);
        const auto found = std::find(expected.begin() + static_cast<std::ptrdiff_t>(e),
                                     expected.begin() + static_cast<std::ptrdiff_t>(end), got[g]);
        if (found == expected.begin() + static_cast<std::ptrdiff_t>(end)) {
            a.extra.push_back(g);
            continue;
        }
        const auto at = static_cast<std::size_t>(found - expected.begin());
        a.missing_before_end += at - e;
        ++a.matched;
        e = at + 1;
    }
    a.missing = a.missing_before_end + (expected.size() - e);
    return a;
}

}  // namespace e2e
