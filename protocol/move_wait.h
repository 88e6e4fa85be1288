// How a blocking move waits. A move is acknowledged by nothing but the
// controller's arrival report ("current_trajectory_state"), which comes when
// the trajectory is done, so the wait is long. After a grace period the arm
// is watched through the current-state query: an arm that stands still, or a
// controller that stops answering, ends the wait instead of hanging it.
#pragma once

#include "arx_api.h"
#include "core/pending_table.h"

namespace arx::protocol {

struct MoveWait {
    int grace_ms;            // beyond the reply timeout, the report alone is awaited
    bool watches_arm;        // false: the grace period is the whole wait (7 after it)
    int sample_interval_ms;  // the report is awaited this long between two good samples
    int failure_limit;       // this many failed samples, over the whole wait, end it with the sample's code
    bool detects_stall;      // five standing samples end the wait with 14
};

inline constexpr MoveWait kJointMoveWait{20000, true, 200, 7, true};   // movej
inline constexpr MoveWait kLineMoveWait{2000, true, 1000, 19, true};   // movel
inline constexpr MoveWait kArcMoveWait{20000, true, 1000, 7, false};   // movec: may circle for long
inline constexpr MoveWait kJointPoseMoveWait{20000, false, 0, 0, false};  // movej_p

// Waits on the caller's registered arrival-report slot. The report's
// "trajectory_state": true 0, false 1, other type 11, missing 9; else 14,
// a failing sample's code or 7. The slot is removed in every case; slots of
// other moves waiting on the same connection are left alone.
int wait_for_arrival(SOCKHANDLE handle, core::SlotRef slot, const MoveWait& wait);

}  // namespace arx::protocol
