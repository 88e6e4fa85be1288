// Sweep rows: lift and mobile base.
#include "support/sweep.h"

namespace arx::test {
namespace {

// clang-format off
const SweepTable kLiftBase("lift_base", {
    {ARX_CALL(Set_Lift_Speed, "always queued", -50), R"({"command":"set_lift_speed","speed":-50})"},
    {ARX_CALL(Set_Lift_Height, "queued", 500, 30, false), R"({"command":"set_lift_height","height":500,"speed":30})"},
    {ARX_CALL(Set_Lift_Height, "blocking, arrival", 500, 30, true), R"({"command":"set_lift_height","height":500,"speed":30})", R"({"state":"current_trajectory_state","trajectory_state":true})"},
    {"Get_Lift_State", "", [](SOCKHANDLE h) { int v[3] = {-99, -99, -99}; int rc = Get_Lift_State(h, &v[0], &v[1], &v[2]); got(list(v, 3)); return rc; }, R"({"command":"get_lift_state"})", R"({"state":"lift_state","height":620,"current":-12,"err_flag":0})", 0, "620,-12,0"},
    {ARX_CALL(Set_Vehicle, "queued", 100, -20, false), R"({"command":"set_vehicle","speed":100,"angular":-20})"},
    {ARX_CALL(Set_Vehicle, "blocking", 100, -20, true), R"({"command":"set_vehicle","speed":100,"angular":-20})", R"({"command":"set_vehicle","set_state":true})"},
    {ARX_CALL(Set_Car_Move, "queued", 200, 10, false), R"({"command":"set_car_move","linear_speed":200,"angular_speed":10})"},
    {ARX_CALL(Set_Car_Move, "blocking", 200, 10, true), R"({"command":"set_car_move","linear_speed":200,"angular_speed":10})", R"({"command":"set_car_move","set_state":false})", 1},
    {ARX_CALL(Set_Car_Navigation_Mode, "queued", 1, false), R"({"command":"set_car_navigation_mode","mode":1})"},
    {ARX_CALL(Set_Car_Navigation_Mode, "blocking", 1, true), R"({"command":"set_car_navigation_mode","mode":1})", R"({"command":"set_car_navigation_mode","navigation_state":true})"},
    {ARX_CALL(Set_Car_Navigation_Speed, "queued", 40, false), R"({"command":"set_car_navigation_speed","speed":40})"},
    {ARX_CALL(Set_Car_Navigation_Speed, "blocking", 40, true), R"({"command":"set_car_navigation_speed","speed":40})", R"({"command":"set_car_navigation_speed","navigation_state":true})"},
    {ARX_CALL(Set_Car_Station, "queued", 3, 50, false), R"({"command":"set_car_speed","station":3,"speed":50})"},
    {ARX_CALL(Set_Car_Station, "blocking", 3, 50, true), R"({"command":"set_car_speed","station":3,"speed":50})", R"({"command":"set_car_speed","navigation_state":true})"},
    {ARX_CALL(Set_Car_Station_Num, "queued", 4, false), R"({"command":"set_car_station_num","station_num":4})"},
    {ARX_CALL(Set_Car_Station_Num, "blocking", 4, true), R"({"command":"set_car_station_num","station_num":4})", R"({"command":"set_car_station_num","navigation_state":true})"},
    {ARX_CALL(Set_Car_Charge, "queued", 1, false), R"({"command":"set_car_charge","charge_state":1})"},
    {ARX_CALL(Set_Car_Charge, "blocking, refused", 1, true), R"({"command":"set_car_charge","charge_state":1})", R"({"command":"set_car_charge","navigation_state":false})", 1},
    {"Get_Car_State", "", [](SOCKHANDLE h) { int v[6] = {-99, -99, -99, -99, -99, -99}; int rc = Get_Car_State(h, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]); got(list(v, 6)); return rc; }, R"({"command":"get_car_state"})", R"({"state":"get_car_state","battery_volume":80,"voltage":48000,"current":-1200,"car_err":0,"car_state":2,"station_num":7})", 0, "80,48000,-1200,0,2,7"},
});

}  // namespace
}  // namespace arx::test
