// The lift that raises the arm and the mobile base that carries it.
#include "protocol/command.h"

using namespace arx::protocol;

namespace {

// A lift move can take minutes; the blocking call waits for the controller's
// arrival report as long as that.
constexpr int kLiftMoveExtensionMs = 120000;

}  // namespace

// ---- lift

int Set_Lift_Speed(SOCKHANDLE h, int speed) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_lift_speed").add("speed", Int(speed)).queue(h);
}

int Set_Lift_Height(SOCKHANDLE h, int height, int speed, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_lift_height").add("height", Int(height)).add("speed", Int(speed))
        .run(h, block, Kind::CurrentTrajectoryState, Boolean("trajectory_state"), kLiftMoveExtensionMs);
}

int Get_Lift_State(SOCKHANDLE h, int* height, int* current, int* err_flag) {
    ARX_GUARD(h, Transfer, NotNull(height, current, err_flag), Pause);
    return Request("get_lift_state")
        .query(h, Kind::LiftState, All(Integer("height", height), Integer("current", current), Integer("err_flag", err_flag)));
}

// ---- mobile base

int Set_Vehicle(SOCKHANDLE h, int speed, int angular, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_vehicle").add("speed", Int(speed)).add("angular", Int(angular))
        .run(h, block, Kind::SetVehicle, Boolean("set_state"));
}

int Set_Car_Move(SOCKHANDLE h, int linear_speed, int angular_speed, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_car_move").add("linear_speed", Int(linear_speed)).add("angular_speed", Int(angular_speed))
        .run(h, block, Kind::SetCarMove, Boolean("set_state"));
}

int Set_Car_Navigation_Mode(SOCKHANDLE h, int mode, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_car_navigation_mode").add("mode", Int(mode))
        .run(h, block, Kind::SetCarNavigationMode, Boolean("navigation_state"));
}

int Set_Car_Navigation_Speed(SOCKHANDLE h, int speed, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_car_navigation_speed").add("speed", Int(speed))
        .run(h, block, Kind::SetCarNavigationSpeed, Boolean("navigation_state"));
}

// Driving to a station is the controller's "set_car_speed".
int Set_Car_Station(SOCKHANDLE h, int station, int speed, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_car_speed").add("station", Int(station)).add("speed", Int(speed))
        .run(h, block, Kind::SetCarSpeed, Boolean("navigation_state"));
}

int Set_Car_Station_Num(SOCKHANDLE h, int station_num, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_car_station_num").add("station_num", Int(station_num))
        .run(h, block, Kind::SetCarStationNum, Boolean("navigation_state"));
}

int Set_Car_Charge(SOCKHANDLE h, int charge_state, bool block) {
    ARX_GUARD(h, Transfer, Pause);
    return Request("set_car_charge").add("charge_state", Int(charge_state))
        .run(h, block, Kind::SetCarCharge, Boolean("navigation_state"));
}

int Get_Car_State(SOCKHANDLE h, int* battery_volume, int* voltage, int* current, int* car_err, int* car_state,
                  int* station_num) {
    ARX_GUARD(h, Transfer, NotNull(battery_volume, voltage, current, car_err, car_state, station_num), Pause);
    return Request("get_car_state")
        .query(h, Kind::GetCarState, All(Integer("battery_volume", battery_volume), Integer("voltage", voltage),
                                         Integer("current", current), Integer("car_err", car_err),
                                         Integer("car_state", car_state), Integer("station_num", station_num)));
}
