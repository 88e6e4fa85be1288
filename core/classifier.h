// Reply classification: the kind of a reply line is decided by the first
// pattern of this table found anywhere in the line (case-sensitive). The
// order matters wherever one pattern contains another ("set_joint_max_speed"
// before "joint_max_speed", "set_lift_speed" before "set_lift").
#pragma once

#include <string_view>

namespace arx::core {

struct ReplyPattern {
    std::string_view text;
    int kind;
};

inline constexpr ReplyPattern kReplyPatterns[] = {
    {"set_joint_max_speed", 2}, {"joint_max_speed", 1}, {"joint_zero_pos", 7}, {"set_joint_max_acc", 3},
    {"set_joint_min_pos", 4}, {"set_joint_max_pos", 5}, {"set_joint_en_state", 6}, {"set_joint_clear_err", 8},
    {"start_calibrate", 9}, {"stop_calibrate", 10}, {"calibrate_state", 11}, {"joint_max_acc", 12},
    {"joint_min_pos", 13}, {"joint_max_pos", 14}, {"joint_en_state", 15}, {"joint_err_flag", 16},
    {"joint_software_version", 17}, {"set_arm_max_line_speed", 19}, {"set_arm_max_line_acc", 20}, {"set_arm_max_angular_speed", 21},
    {"set_arm_max_angular_acc", 22}, {"arm_max_line_speed", 23}, {"arm_max_line_acc", 24}, {"arm_max_angular_speed", 25},
    {"arm_max_angular_acc", 26}, {"set_arm_init", 27}, {"get_collision_stage", 29}, {"set_DH_data", 30},
    {"DH_data", 31}, {"set_joint_zero_offset", 32}, {"set_arm_dynamic_parm", 33}, {"tool_software_version", 34},
    {"set_arm_servo", 35}, {"set_system_state_servo", 36}, {"set_auto_tool_frame", 37}, {"generate_auto_tool_frame", 38},
    {"set_manual_tool_frame", 39}, {"set_change_tool_frame", 40}, {"set_delete_tool_frame", 41}, {"set_payload", 42},
    {"set_none_payload", 43}, {"current_tool_frame", 44}, {"given_tool_frame", 45}, {"total_tool_frame", 46},
    {"set_auto_work_frame", 47}, {"set_maual_work_frame", 48}, {"set_change_work_frame", 49}, {"set_delete_work_frame", 50},
    {"current_work_frame", 51}, {"given_work_frame", 52}, {"total_work_frame", 53}, {"current_arm_state", 54},
    {"current_joint_current", 56}, {"current_joint_voltage", 57}, {"joint_voltage", 58}, {"arm_all_state", 59},
    {"arm_plan_num", 60}, {"set_init_pose", 61}, {"init_pose", 62}, {"set_install_pose", 63},
    {"current_trajectory_state", 64}, {"joint_state", 168}, {"pose_state", 66}, {"set_arm_stop", 67},
    {"set_arm_pause", 68}, {"set_delete_current_trajectory", 70}, {"set_arm_delete_trajectory", 71}, {"arm_current_trajectory", 72},
    {"add_waypoint", 73}, {"start_waypoint", 74}, {"clear_waypoint", 169}, {"stop_waypoint", 76},
    {"timer", 77}, {"set_joint_teach", 78}, {"set_pos_teach", 79}, {"set_ort_teach", 80},
    {"set_stop_teach", 81}, {"set_joint_step", 82}, {"set_pos_step", 83}, {"set_ort_step", 84},
    {"controller_state", 85}, {"set_arm_power", 86}, {"arm_power_state", 87}, {"clear_system_err", 88},
    {"arm_hardware_version", 89}, {"arm_software_version", 90}, {"get_log_file", 91}, {"get_system_runtime", 92},
    {"clear_system_runtime", 93}, {"get_joint_odom", 94}, {"clear_joint_odom", 95}, {"set_high_speed_eth", 96},
    {"set_tool_DO_state", 106}, {"set_DO_state", 97}, {"set_AO_state", 98}, {"DO_state", 100},
    {"DI_state", 101}, {"AO_state", 102}, {"AI_state", 103}, {"IO_input_state", 104},
    {"IO_output_state", 105}, {"set_tool_IO_mode", 107}, {"tool_IO_state", 108}, {"set_tool_voltage", 109},
    {"tool_voltage_state", 110}, {"set_gripper_route", 111}, {"set_gripper", 112}, {"start_drag_teach", 113},
    {"stop_drag_teach", 114}, {"run_drag_trajectory", 115}, {"pause_drag_trajectory", 116}, {"continue_drag_trajectory", 117},
    {"stop_drag_trajectory", 118}, {"start_multi_drag_teach", 120}, {"set_force_position", 121}, {"stop_force_position", 122},
    {"get_force_data", 123}, {"clear_force_data", 124}, {"stop_set_force_sensor", 126}, {"set_force_sensor", 125},
    {"set_hand_posture", 127}, {"set_hand_seq", 128}, {"set_hand_angle", 129}, {"set_hand_speed", 130},
    {"set_PWM", 132}, {"get_Fz", 133}, {"clear_Fz", 134}, {"auto_set_Fz", 135},
    {"manual_set_Fz", 136}, {"close_modbus_mode", 138}, {"coils_data", 139}, {"input_status", 140},
    {"holding_registers", 141}, {"input_registers", 142}, {"write_single_coil", 143}, {"write_coils", 144},
    {"write_single_register", 145}, {"write_registers", 146}, {"set_vehicle", 147}, {"set_lift_speed", 149},
    {"set_lift_height", 150}, {"set_lift", 148}, {"lift_state", 151}, {"set_car_move", 152},
    {"set_car_speed", 153}, {"set_car_navigation_speed", 154}, {"set_car_navigation_mode", 155}, {"get_car_state", 156},
    {"set_car_charge", 157}, {"set_car_station_num", 158}, {"set_collision_state", 28}, {"current_joint_temperature", 55},
    {"joint_degree", 159}, {"set_arm_continue", 69}, {"set_hand_force", 131}, {"set_modbus_mode", 137},
    {"Start_Force_Position_Move", 160}, {"Force_Position_State", 161}, {"Stop_Force_Position_Move", 162}, {"Force_Position_Move", 166},
    {"set_teach_frame", 165}, {"download_project", 164}, {"run_project", 163}, {"install_pose", 167},
};

// Kinds whose reports are pushed to the application callback.
constexpr int kKindJointStateReport = 168;
constexpr int kKindPoseStateReport = 66;
constexpr int kKindForcePositionState = 161;

// The reply kind of a line, 0 when no pattern occurs in it.
constexpr int classify(std::string_view line) {
    for (const ReplyPattern& p : kReplyPatterns)
        if (line.find(p.text) != std::string_view::npos) return p.kind;
    return 0;
}

}  // namespace arx::core
