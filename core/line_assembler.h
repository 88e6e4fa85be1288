// Framing of one connection's byte stream into reply lines. Every line feed
// ends a line, so several replies arriving in one read are delivered one by
// one; bytes after the last line feed wait for the connection's next read.
#pragma once

#include "core/pending_table.h"

#include <cstddef>
#include <cstring>
#include <string_view>

namespace arx::core {

class LineAssembler {
public:
    // Appends `data` and calls on_line(std::string_view) for each complete
    // line, without its line feed and a carriage return before it. A line
    // longer than kReplyCapacity is cut to it (the excess is dropped).
    template <typename OnLine>
    void feed(const char* data, std::size_t size, OnLine&& on_line) {
        while (size > 0) {
            const char* feed_at = static_cast<const char*>(std::memchr(data, '\n', size));
            std::size_t take = feed_at ? static_cast<std::size_t>(feed_at - data) : size;
            append(data, take);
            if (!feed_at) return;
            on_line(line());
            length_ = 0;
            cut_ = false;
            data += take + 1;
            size -= take + 1;
        }
    }

    bool has_partial() const { return length_ > 0; }
    // The line being handed to on_line lost bytes past kReplyCapacity.
    bool line_was_cut() const { return cut_; }

    // Forgets an unfinished line (its peer closed or stalled mid-line).
    void reset() {
        length_ = 0;
        cut_ = false;
    }

private:
    void append(const char* data, std::size_t size) {
        std::size_t room = kReplyCapacity - length_;
        if (size > room) {
            size = room;
            cut_ = true;
        }
        std::memcpy(buffer_ + length_, data, size);
        length_ += size;
    }

    std::string_view line() const {
        std::size_t n = length_;
        if (n > 0 && buffer_[n - 1] == '\r') --n;
        return std::string_view(buffer_, n);
    }

    char buffer_[kReplyCapacity];
    std::size_t length_ = 0;
    bool cut_ = false;
};

}  // namespace arx::core
