// Waypoints the controller stores and replays, and the controller's timer.
#include "protocol/command.h"

using namespace arx::protocol;

namespace {

// Only an explicit false refuses a waypoint; true, a number or a text accept it.
Field NotFalse(const char* key) {
    return Field([key](const cJSON* object) {
        const cJSON* item = member(object, key);
        if (item == nullptr) return kMissing;
        return cJSON_IsFalse(item) ? int{ARX_CONTROLLER_FALSE} : int{ARX_SUCCESS};
    });
}

}  // namespace

int Add_Waypoint(SOCKHANDLE h, const float* joint, bool block) {
    ARX_GUARD(h, Transfer, NotNull(joint), Pause);
    return Request("add_waypoint")
        .array("joint", joint, joints(h), Milli)
        .run(h, block, Kind::AddWaypoint, NotFalse("waypoint_state"));
}

int Start_Waypoint(SOCKHANDLE h, int frequency, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("start_waypoint").add("frequency", Int(frequency)).run(h, block, Kind::StartWaypoint, Boolean("waypoint_state"));
}

int Stop_Waypoint(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "stop_waypoint", Kind::StopWaypoint, "waypoint_state");
}

int Clear_Waypoint(SOCKHANDLE h, bool block) {
    return bare_setting(h, block, "clear_waypoint", Kind::ClearWaypoint, "waypoint_state");
}

int Timer(SOCKHANDLE h, int wait_time, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    // The answer's "wait_time" is a true/false state, not a time.
    return Request("timer").add("wait_time", Int(wait_time)).run(h, block, Kind::Timer, Boolean("wait_time"));
}
