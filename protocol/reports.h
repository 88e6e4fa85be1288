// Pushed reports: the lines the receive thread turns into the CallbackData it
// hands to the application instead of storing them for a waiting call.
#pragma once

#include "arx_api.h"
#include "core/reply_kinds.h"

#include <string_view>

namespace arx::protocol {

// The CallbackData code of a reply kind (1 joint state, 2 pose state,
// 3 force-position state), or 0 when the kind is not reported to the callback.
int callback_code(core::Kind kind);

// Decodes `line` for a report of `kind` on `socket`. err_code is 0, or 9 when
// the line is not JSON or lacks its key member, or 11 when a force-position
// state has no "joint" array. Joint values past `joints` stay 0.
CallbackData decode_report(core::Kind kind, SOCKHANDLE socket, std::string_view line, int joints);

}  // namespace arx::protocol
