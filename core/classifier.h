// Reply classification: the kind of a reply line is decided by the first
// pattern of this table found anywhere in the line (case-sensitive). The table
// is made from the one list of kinds (core/reply_kinds.h), in its order.
#pragma once

#include "core/reply_kinds.h"

#include <cstddef>
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

// The reply kind of a line, Kind::None when no pattern occurs in it.
constexpr Kind classify(std::string_view line) {
    for (const ReplyPattern& p : kReplyPatterns)
        if (line.find(p.text) != std::string_view::npos) return p.kind;
    return Kind::None;
}

}  // namespace arx::core
