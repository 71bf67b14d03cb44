#include "regex/RegexSubject.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "PatternSyntax.h"
#include "text/CodePage.h"

namespace {

constexpr std::uint64_t kHashBase = 0x100000001B3ull;

std::uint64_t foldedHash(std::u16string_view units) {
    std::uint64_t hash = 0;
    for (const char16_t unit : units) hash = hash * kHashBase + coarseFold(unit) + 1u;
    return hash;
}

std::uint64_t power(std::uint64_t base, std::size_t exponent) {
    std::uint64_t result = 1;
    for (; exponent != 0; exponent >>= 1, base *= base) {
        if (exponent & 1u) result *= base;
    }
    return result;
}

}  // namespace

// For each window length asked for, the folded hash of the window that ends at
// each boundary, sorted by (hash, boundary position).
struct RegexSubject::Index {
    using Entry = std::pair<std::uint64_t, std::uint32_t>;

    std::mutex mutex;
    bool scanned = false;
    std::vector<std::uint32_t> boundaries;
    std::unordered_map<std::size_t, std::vector<Entry>> tables;
    std::size_t work = 0;     // units hashed so far
    std::size_t entries = 0;  // entries held in all tables
};

RegexSubject::RegexSubject(std::string_view gbk, std::u16string_view boundary)
    : units_(gbkToUtf16(gbk)), boundary_(boundary) {
    // Offsets are kept as 32-bit values.
    if (!boundary_.empty() && units_.size() < UINT32_MAX) index_ = std::make_unique<Index>();
}

RegexSubject::~RegexSubject() = default;

std::size_t RegexSubject::nextCandidate(std::u16string_view literal, std::size_t from, bool& usable) const {
    usable = false;
    if (!index_) return npos;
    Index& index = *index_;
    const std::lock_guard lock(index.mutex);
    const std::size_t size = units_.size();
    if (!index.scanned) {
        std::u16string foldedBoundary;
        for (const char16_t unit : boundary_) foldedBoundary += coarseFold(unit);
        for (std::size_t at = 0; at + boundary_.size() <= size; ++at) {
            std::size_t k = 0;
            while (k < boundary_.size() && coarseFold(units_[at + k]) == foldedBoundary[k]) ++k;
            if (k == boundary_.size()) index.boundaries.push_back(static_cast<std::uint32_t>(at));
        }
        index.scanned = true;
    }
    const std::size_t length = literal.size();
    auto table = index.tables.find(length);
    if (table == index.tables.end()) {
        // Hashing each window costs length units; rolling over the subject costs
        // its size. Past a budget of a few dozen passes the index gives up and
        // the caller searches plainly (same matches, just slower).
        const std::size_t direct = index.boundaries.size() * length;
        const std::size_t cost = std::min(direct, size + index.boundaries.size());
        if (index.work + cost > 64 * (size + 1024) || index.entries + index.boundaries.size() > (16u << 20)) {
            return npos;
        }
        index.work += cost;
        index.entries += index.boundaries.size();
        std::vector<Index::Entry> entries;
        entries.reserve(index.boundaries.size());
        if (direct <= size) {
            for (const std::uint32_t end : index.boundaries) {
                if (end >= length) entries.emplace_back(foldedHash({units_.data() + end - length, length}), end);
            }
        } else {
            const std::uint64_t dropFactor = power(kHashBase, length);
            std::uint64_t hash = 0;
            std::size_t next = 0;  // next boundary to record
            for (std::size_t at = 0; at <= size && next < index.boundaries.size(); ++at) {
                while (next < index.boundaries.size() && index.boundaries[next] == at) {
                    if (at >= length) entries.emplace_back(hash, index.boundaries[next]);
                    ++next;
                }
                if (at == size) break;
                hash = hash * kHashBase + coarseFold(units_[at]) + 1u;
                if (at >= length) hash -= dropFactor * (coarseFold(units_[at - length]) + 1u);
            }
        }
        std::sort(entries.begin(), entries.end());
        table = index.tables.emplace(length, std::move(entries)).first;
    }
    usable = true;
    const std::uint64_t wanted = foldedHash(literal);
    if (from > size || size - from < length) return npos;
    const auto firstEnd = static_cast<std::uint32_t>(from + length);
    const auto found = std::lower_bound(table->second.begin(), table->second.end(), Index::Entry{wanted, firstEnd});
    if (found == table->second.end() || found->first != wanted) return npos;
    return found->second - length;
}
