// The ways a finished request line travels; a refused request never leaves.
#include "protocol/command.h"

#include "core/log.h"
#include "core/transport.h"
#include "protocol/internals.h"

#include <type_traits>

namespace arx::protocol {

static_assert(std::is_same_v<ReplyDecoder, core::ReplyDecoder>, "one decoder type on both sides");

int Request::run(SOCKHANDLE handle, bool block, core::Kind kind, ReplyDecoder decode,
                 int extension_ms) {
    return block ? query(handle, kind, decode, extension_ms) : queue(handle);
}

int Request::query(SOCKHANDLE handle, core::Kind kind, ReplyDecoder decode, int extension_ms) {
    return deliver([&](std::string_view text) { return core::request_blocking(handle, text, kind, decode, extension_ms); });
}

int Request::queue(SOCKHANDLE handle) {
    return deliver([&](std::string_view text) { return core::queue_line(handle, text); });
}

int Request::send(SOCKHANDLE handle) {
    return deliver([&](std::string_view text) { return core::send_only(handle, text); });
}

int Request::callback(SOCKHANDLE handle, core::Kind kind) {
    return deliver([&](std::string_view text) { return core::request_callback(handle, text, kind); });
}

void log_refused(std::string_view what, int code) {
    if (!core::log_enabled(core::LogLevel::Warning)) return;
    core::log(core::LogLevel::Warning, "%.*s: refused before sending: %d (%s)", static_cast<int>(what.size()),
              what.data(), code, result_text(code));
}

void Request::log_refusal() const { log_refused(command(), fault_); }

int bare_setting(SOCKHANDLE h, bool block, const char* command, Kind kind, const char* state_key) {
    // Not ARX_GUARD: its refusal would be logged under this helper's name.
    if (const int rc = guard(h, Transfer, Pause); rc != 0) {
        log_refused(command, rc);
        return rc;
    }
    return Request(command).run(h, block, kind, Boolean(state_key));
}

}  // namespace arx::protocol
