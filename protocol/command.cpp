// The ways a finished request line travels; a refused request never leaves.
#include "protocol/command.h"

namespace arx::protocol {

int Request::run(SOCKHANDLE handle, bool block, int kind, const core::ReplyDecoder& decode,
                 int extension_ms) {
    return block ? query(handle, kind, decode, extension_ms) : queue(handle);
}

int Request::query(SOCKHANDLE handle, int kind, const core::ReplyDecoder& decode, int extension_ms) {
    const std::string_view text = line();
    if (fault_ != 0) return fault_;
    return core::request_blocking(handle, text, kind, decode, extension_ms);
}

int Request::queue(SOCKHANDLE handle) {
    const std::string_view text = line();
    if (fault_ != 0) return fault_;
    return core::queue_line(handle, text);
}

int Request::send(SOCKHANDLE handle) {
    const std::string_view text = line();
    if (fault_ != 0) return fault_;
    return core::send_only(handle, text);
}

int Request::callback(SOCKHANDLE handle, int kind) {
    const std::string_view text = line();
    if (fault_ != 0) return fault_;
    return core::request_callback(handle, text, kind);
}

}  // namespace arx::protocol
