#include "protocol/move_wait.h"

#include "core/library.h"
#include "core/transport.h"
#include "core/transfer_state.h"
#include "protocol/command.h"
#include "protocol/internals.h"

#include <cmath>

namespace arx::protocol {

namespace {

constexpr int kSamplePauseMs = 20;
constexpr float kStandingToleranceDeg = 0.1f;
constexpr int kStandingSamplesForStall = 5;
constexpr int kSampledJoints = 7;

struct ArmSample {
    float joint[kSampledJoints] = {};  // values the reply does not carry stay 0
};

// One state query. Two pauses of 20 ms come before it: the sample's own, which
// spaces the samples out, and the pause every state query takes before its
// line is built. Both are the watched move's timing on the wire, so both stay.
int sample_arm(SOCKHANDLE handle, ArmSample* sample) {
    if (core::transfer_active(handle)) return ARX_FILE_TRANSFER_BUSY;
    core::sleep_ms(kSamplePauseMs);
    if (core::transfer_active(handle)) return ARX_FILE_TRANSFER_BUSY;  // the query's own check
    core::sleep_ms(core::kCommandPauseMs);
    POSE pose;
    unsigned short arm_err = 0, sys_err = 0;
    return read_arm_state(handle, sample->joint, &pose, &arm_err, &sys_err);
}

bool standing_still(const ArmSample& before, const ArmSample& now) {
    for (int i = 0; i < kSampledJoints; ++i)
        if (std::fabs(now.joint[i] - before.joint[i]) > kStandingToleranceDeg) return false;
    return true;
}

// Ends the wait with `code`, unless the report came in meanwhile: an arm
// that has arrived is not a stalled or lost one.
int give_up(core::SlotRef slot, int code, core::ReplyDecoder decode) {
    if (auto result = core::take_reply(slot, decode)) return *result;
    core::remove_slot(slot);
    return code;
}

}  // namespace

int wait_for_arrival(SOCKHANDLE handle, core::SlotRef slot, const MoveWait& wait) {
    const Field decode = Boolean("trajectory_state");  // outlives every wait below
    if (auto result = core::await_reply(slot, core::reply_timeout_ms() + wait.grace_ms, decode)) return *result;
    if (!wait.watches_arm) return give_up(slot, ARX_REPLY_TIMEOUT, decode);

    ArmSample previous;
    bool have_previous = false;
    int failures = 0, standing = 0;
    for (;;) {
        ArmSample now;
        if (const int rc = sample_arm(handle, &now); rc != 0) {
            if (++failures >= wait.failure_limit) return give_up(slot, rc, decode);
            continue;
        }
        if (wait.detects_stall) {
            if (have_previous && standing_still(previous, now) && ++standing >= kStandingSamplesForStall)
                return give_up(slot, ARX_MOVE_NOT_COMPLETED, decode);
            previous = now;
            have_previous = true;
        }
        if (auto result = core::await_reply(slot, wait.sample_interval_ms, decode)) return *result;
    }
}

int Request::move(SOCKHANDLE handle, bool block, const MoveWait& wait) {
    if (!block) return queue(handle);
    return deliver([&](std::string_view text) {
        core::SlotRef slot{};
        if (const int rc = core::start_request(handle, text, Kind::CurrentTrajectoryState, &slot)) return rc;
        return wait_for_arrival(handle, slot, wait);
    });
}

}  // namespace arx::protocol
