// Reply classification: the kind of a reply line is decided by the first
// pattern of this table found anywhere in the line (case-sensitive). The table
// is made from the one list of kinds (core/reply_kinds.h), in its order.
#pragma once

#include "core/reply_kinds.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace arx::core {

struct ReplyPattern {
    std::string_view text;
    Kind kind;
};

inline constexpr ReplyPattern kReplyPatterns[] = {
#define ARX_REPLY_PATTERN_ROW(name, number, pattern) {pattern, Kind::name},
    ARX_REPLY_KINDS(ARX_REPLY_PATTERN_ROW)
#undef ARX_REPLY_PATTERN_ROW
};

inline constexpr std::size_t kReplyPatternCount = sizeof kReplyPatterns / sizeof kReplyPatterns[0];

// Two rows of the table, by position.
struct PatternPair {
    std::size_t earlier, later;
};

// The first pair where an earlier pattern is contained in a later one: every
// line holding the later pattern also holds the earlier one, so the later
// kind could never be given. {count, count} when there is none.
constexpr PatternPair first_hidden_pattern(const ReplyPattern* table, std::size_t count) {
    for (std::size_t later = 0; later < count; ++later)
        for (std::size_t earlier = 0; earlier < later; ++earlier)
            if (table[later].text.find(table[earlier].text) != std::string_view::npos) return {earlier, later};
    return {count, count};
}

// The first pair of rows giving the same kind number, {count, count} when none:
// a waiting command could then be answered by another command's reply.
constexpr PatternPair first_shared_number(const ReplyPattern* table, std::size_t count) {
    for (std::size_t later = 0; later < count; ++later)
        for (std::size_t earlier = 0; earlier < later; ++earlier)
            if (table[later].kind == table[earlier].kind) return {earlier, later};
    return {count, count};
}

static_assert(first_hidden_pattern(kReplyPatterns, kReplyPatternCount).later == kReplyPatternCount,
              "a reply pattern contains an earlier one and would never classify: move it before that one");
static_assert(first_shared_number(kReplyPatterns, kReplyPatternCount).later == kReplyPatternCount,
              "two reply kinds share a number");

// Kinds whose reports are pushed to the application callback: the earliest
// callback-mode slot of the connection takes them.
constexpr bool is_report(Kind kind) {
    return kind == Kind::JointState || kind == Kind::PoseState || kind == Kind::ForcePositionState;
}

// The reply kind of a line by its definition, one search per row: the
// reference that classify() is checked against.
constexpr Kind classify_row_by_row(std::string_view line) {
    for (const ReplyPattern& p : kReplyPatterns)
        if (line.find(p.text) != std::string_view::npos) return p.kind;
    return Kind::None;
}

// The rows grouped by a hash of their first two bytes, in table order within
// each group: classify() visits every position of a line once and compares
// only the rows that may start there, so a line costs its length instead of
// its length times the table (every pushed report passes through it).
class PatternIndex {
public:
    static constexpr std::size_t kGroups = 4096;
    static constexpr std::size_t group_of(char first, char second) {
        return ((static_cast<std::size_t>(static_cast<unsigned char>(first)) << 4) ^
                static_cast<unsigned char>(second)) & (kGroups - 1);
    }

    constexpr PatternIndex() {
        for (std::size_t row = 0; row < kReplyPatternCount; ++row) ++start_[group_of_row(row) + 1];
        for (std::size_t g = 0; g < kGroups; ++g) start_[g + 1] += start_[g];
        std::uint16_t filled[kGroups] = {};
        for (std::size_t row = 0; row < kReplyPatternCount; ++row) {
            const std::size_t g = group_of_row(row);
            rows_[start_[g] + filled[g]++] = static_cast<std::uint16_t>(row);
        }
    }

    // The first row (in table order) whose pattern starts at `at`, below `before`.
    constexpr std::size_t first_row_at(std::string_view line, std::size_t at, std::size_t before) const {
        const std::size_t g = group_of(line[at], line[at + 1]);
        for (std::size_t k = start_[g]; k < start_[g + 1] && rows_[k] < before; ++k)
            if (line.compare(at, kReplyPatterns[rows_[k]].text.size(), kReplyPatterns[rows_[k]].text) == 0)
                return rows_[k];
        return before;
    }

private:
    static constexpr std::size_t group_of_row(std::size_t row) {
        return group_of(kReplyPatterns[row].text[0], kReplyPatterns[row].text[1]);
    }

    std::uint16_t start_[kGroups + 1] = {};  // group g's rows: rows_[start_[g]] .. rows_[start_[g + 1] - 1]
    std::uint16_t rows_[kReplyPatternCount] = {};
};

constexpr bool every_pattern_has_two_bytes() {
    for (const ReplyPattern& p : kReplyPatterns)
        if (p.text.size() < 2) return false;
    return true;
}
static_assert(every_pattern_has_two_bytes(), "the pattern index groups rows by their first two bytes");

inline constexpr PatternIndex kPatternIndex{};

// The reply kind of a line, Kind::None when no pattern occurs in it.
inline Kind classify(std::string_view line) {
    std::size_t first = kReplyPatternCount;
    for (std::size_t at = 0; at + 1 < line.size() && first > 0; ++at) first = kPatternIndex.first_row_at(line, at, first);
    return first < kReplyPatternCount ? kReplyPatterns[first].kind : Kind::None;
}

}  // namespace arx::core
