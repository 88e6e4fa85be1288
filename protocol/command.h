// What every command source includes: the export checks, the request builder
// (request.h), the decoder families (decoders.h) and the per-connection joint
// helpers. A command reads like its row in the protocol table:
//
//   // setting, blocking or queued: checks, line, kind, decoder
//   int Set_Joint_Speed(SOCKHANDLE h, unsigned char joint, float speed, bool block) {
//       ARX_GUARD(h, Transfer, Handle, Init);
//       return Request("set_joint_max_speed")
//           .array("joint_max_speed", {Int(joint), Milli(speed)})
//           .run(h, block, Kind::SetJointMaxSpeed, Boolean8("joint_max_speed"));
//   }
//
//   // query, always blocking
//   int Get_Joint_Speed(SOCKHANDLE h, float* speed) {
//       ARX_GUARD(h, Transfer, NotNull(speed), Pause);
//       return Request("get_joint_max_speed")
//           .query(h, Kind::JointMaxSpeed, JointArray(h, "joint_speed", speed, Thousandths, kArrayErrors));
//   }
//
//   // composite decoder: fields in reply order, the first failure ends
//   return Request("get_controller_state")
//       .query(h, Kind::ControllerState, All(Scaled("voltage", voltage), Scaled("current", current),
//                         Scaled("temperature", temperature), Integer("err_flag", err_flag)));
//
// More shapes:
//   per-joint request array   r.array("offset", offset, joints(h), Milli)
//   send-only                 return Request("set_RS485").add("baudrate", Int(b)).send(h);
//   longer wait               .run(h, block, Kind::SetForcePosition, Boolean("set_state"), 10000)
//   a move                    .move(h, block, kJointMoveWait)   (protocol/move_wait.h)
//   work after the reply      Request r(...); ...; const int rc = r.run(...); if (rc == 0) ...
//   a decoder no family fits  .query(h, Kind::ArmAllState, [&](const char* text) {
//                                 Reply reply(text); if (!reply) return 9; ... })
// Reply kinds are named after their classifier row (core/reply_kinds.h).
//
// ARX_GUARD(handle, checks...) runs the checks in the order written and returns
// the first failure's code from the enclosing function:
//   Transfer        a trajectory file is being downloaded on
//                   this connection                            -> 18
//   NotNull(p, ...) one of the pointers is null                 -> 19
//   Handle          the handle is 0                             -> 5
//   Init            Arx_API_Init has not run                    -> 2
//   Pause           the 20 ms pause before the command is built (never fails)
// A refusal is logged (log_refused) with the export's name and the code.
#pragma once

#include "arx_api.h"
#include "core/clock.h"
#include "core/library.h"
#include "core/transfer_state.h"
#include "protocol/decoders.h"
#include "protocol/request.h"

#include <tuple>

namespace arx::protocol {

// Commands name the reply kind they wait for: Kind::SetJointMaxSpeed.
using core::Kind;

struct TransferCheck {
    int operator()(SOCKHANDLE h) const { return core::transfer_active(h) ? ARX_FILE_TRANSFER_BUSY : 0; }
};
struct HandleCheck {
    int operator()(SOCKHANDLE h) const { return h == 0 ? ARX_CONNECT_FAILED : 0; }
};
struct InitCheck {
    int operator()(SOCKHANDLE) const { return core::initialised() ? 0 : ARX_NOT_INITIALISED; }
};
struct PauseStep {
    int operator()(SOCKHANDLE) const {
        core::sleep_ms(core::kCommandPauseMs);
        return 0;
    }
};
template <class... Pointers>
struct NullCheck {
    std::tuple<const Pointers*...> pointers;
    int operator()(SOCKHANDLE) const {
        const bool any_null = std::apply([](auto... p) { return ((p == nullptr) || ...); }, pointers);
        return any_null ? ARX_NULL_POINTER : 0;
    }
};

inline constexpr TransferCheck Transfer{};
inline constexpr HandleCheck Handle{};
inline constexpr InitCheck Init{};
inline constexpr PauseStep Pause{};

template <class... Pointers>
NullCheck<Pointers...> NotNull(const Pointers*... pointers) {
    return {{pointers...}};
}

// First failing check's code, or 0; later checks (and the pause) do not run.
template <class... Checks>
int guard(SOCKHANDLE handle, const Checks&... checks) {
    int rc = 0;
    static_cast<void>((((rc = checks(handle)) == 0) && ...));
    return rc;
}

// Joint values a request or a reply carries for this connection: its recorded
// joint count (seven for ARM_MODEL_B), six for a handle the library does not know.
inline int joints(SOCKHANDLE handle) { return core::joint_count(handle); }

// Per-joint reply arrays: exactly the connection's joint count, or (UpTo) any
// length with no more than the joint count written, so the caller's array of
// one value per joint is never overrun.
// The codes come as one named pair (decoders.h): kArrayErrors, kTypeErrors, ...
template <class T, class Convert>
Field JointArray(SOCKHANDLE h, const char* key, T* out, Convert convert, ArrayCodes codes) {
    return CountedArray(key, out, joints(h), convert, codes);
}
template <class T, class Convert>
Field JointArrayUpTo(SOCKHANDLE h, const char* key, T* out, Convert convert, int not_array_code) {
    return ArrayUpTo(key, out, joints(h), convert, not_array_code);
}

// A setting whose line carries nothing but its command word, answered with a
// true/false state: the row of such a command names its word, reply kind and
// state member, e.g.
//   int Move_Stop_Cmd(SOCKHANDLE h, bool block) {
//       return bare_setting(h, block, "set_arm_stop", Kind::SetArmStop, "arm_stop");
//   }
int bare_setting(SOCKHANDLE h, bool block, const char* command, Kind kind, const char* state_key);

// The one log point of requests refused before anything is sent: the guard's
// checks (named by the export) and requests that cannot be built (named by
// their command word) both end here. A warning, formatted only when enabled.
void log_refused(std::string_view what, int code);

}  // namespace arx::protocol

#define ARX_GUARD(handle, ...)                                                                    \
    do {                                                                                          \
        if (const int arx_guard_rc = ::arx::protocol::guard((handle), __VA_ARGS__); arx_guard_rc != 0) { \
            ::arx::protocol::log_refused(__func__, arx_guard_rc);                                 \
            return arx_guard_rc;                                                                  \
        }                                                                                         \
    } while (0)
