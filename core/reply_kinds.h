// The reply kinds: what the receive thread decides a reply line is, and what
// a waiting command registers for. One list below gives each kind its name,
// its number and the pattern that classifies it; the enumeration here and the
// classifier's table (core/classifier.h) are both made from it, so a kind and
// its pattern cannot drift apart. The numbers are the protocol's own and stay
// fixed.
#pragma once

namespace arx::core {

// X(name, number, pattern), in classification order: a line is of the kind of
// the first pattern found anywhere in it (case-sensitive), so a pattern that
// contains another must come before it ("set_joint_max_speed" before
// "joint_max_speed", "set_lift_speed" before "set_lift"); classifier.h refuses
// to compile a list where an earlier pattern hides a later one.
#define ARX_REPLY_KINDS(X) \
    X(SetJointMaxSpeed,             2, "set_joint_max_speed") \
    X(JointMaxSpeed,                1, "joint_max_speed") \
    X(JointZeroPos,                 7, "joint_zero_pos") \
    X(SetJointMaxAcc,               3, "set_joint_max_acc") \
    X(SetJointMinPos,               4, "set_joint_min_pos") \
    X(SetJointMaxPos,               5, "set_joint_max_pos") \
    X(SetJointEnState,              6, "set_joint_en_state") \
    X(SetJointClearErr,             8, "set_joint_clear_err") \
    X(StartCalibrate,               9, "start_calibrate") \
    X(StopCalibrate,               10, "stop_calibrate") \
    X(CalibrateState,              11, "calibrate_state") \
    X(JointMaxAcc,                 12, "joint_max_acc") \
    X(JointMinPos,                 13, "joint_min_pos") \
    X(JointMaxPos,                 14, "joint_max_pos") \
    X(JointEnState,                15, "joint_en_state") \
    X(JointErrFlag,                16, "joint_err_flag") \
    X(JointSoftwareVersion,        17, "joint_software_version") \
    X(SetArmMaxLineSpeed,          19, "set_arm_max_line_speed") \
    X(SetArmMaxLineAcc,            20, "set_arm_max_line_acc") \
    X(SetArmMaxAngularSpeed,       21, "set_arm_max_angular_speed") \
    X(SetArmMaxAngularAcc,         22, "set_arm_max_angular_acc") \
    X(ArmMaxLineSpeed,             23, "arm_max_line_speed") \
    X(ArmMaxLineAcc,               24, "arm_max_line_acc") \
    X(ArmMaxAngularSpeed,          25, "arm_max_angular_speed") \
    X(ArmMaxAngularAcc,            26, "arm_max_angular_acc") \
    X(SetArmInit,                  27, "set_arm_init") \
    X(GetCollisionStage,           29, "get_collision_stage") \
    X(SetDHData,                   30, "set_DH_data") \
    X(DHData,                      31, "DH_data") \
    X(SetJointZeroOffset,          32, "set_joint_zero_offset") \
    X(SetArmDynamicParm,           33, "set_arm_dynamic_parm") \
    X(ToolSoftwareVersion,         34, "tool_software_version") \
    X(SetArmServo,                 35, "set_arm_servo") \
    X(SetSystemStateServo,         36, "set_system_state_servo") \
    X(SetAutoToolFrame,            37, "set_auto_tool_frame") \
    X(GenerateAutoToolFrame,       38, "generate_auto_tool_frame") \
    X(SetManualToolFrame,          39, "set_manual_tool_frame") \
    X(SetChangeToolFrame,          40, "set_change_tool_frame") \
    X(SetDeleteToolFrame,          41, "set_delete_tool_frame") \
    X(SetPayload,                  42, "set_payload") \
    X(SetNonePayload,              43, "set_none_payload") \
    X(CurrentToolFrame,            44, "current_tool_frame") \
    X(GivenToolFrame,              45, "given_tool_frame") \
    X(TotalToolFrame,              46, "total_tool_frame") \
    X(SetAutoWorkFrame,            47, "set_auto_work_frame") \
    X(SetMaualWorkFrame,           48, "set_maual_work_frame") \
    X(SetChangeWorkFrame,          49, "set_change_work_frame") \
    X(SetDeleteWorkFrame,          50, "set_delete_work_frame") \
    X(CurrentWorkFrame,            51, "current_work_frame") \
    X(GivenWorkFrame,              52, "given_work_frame") \
    X(TotalWorkFrame,              53, "total_work_frame") \
    X(CurrentArmState,             54, "current_arm_state") \
    X(CurrentJointCurrent,         56, "current_joint_current") \
    X(CurrentJointVoltage,         57, "current_joint_voltage") \
    X(JointVoltage,                58, "joint_voltage") \
    X(ArmAllState,                 59, "arm_all_state") \
    X(ArmPlanNum,                  60, "arm_plan_num") \
    X(SetInitPose,                 61, "set_init_pose") \
    X(InitPose,                    62, "init_pose") \
    X(SetInstallPose,              63, "set_install_pose") \
    X(CurrentTrajectoryState,      64, "current_trajectory_state") \
    X(JointState,                 168, "joint_state") \
    X(PoseState,                   66, "pose_state") \
    X(SetArmStop,                  67, "set_arm_stop") \
    X(SetArmPause,                 68, "set_arm_pause") \
    X(SetDeleteCurrentTrajectory,  70, "set_delete_current_trajectory") \
    X(SetArmDeleteTrajectory,      71, "set_arm_delete_trajectory") \
    X(ArmCurrentTrajectory,        72, "arm_current_trajectory") \
    X(AddWaypoint,                 73, "add_waypoint") \
    X(StartWaypoint,               74, "start_waypoint") \
    X(ClearWaypoint,              169, "clear_waypoint") \
    X(StopWaypoint,                76, "stop_waypoint") \
    X(Timer,                       77, "timer") \
    X(SetJointTeach,               78, "set_joint_teach") \
    X(SetPosTeach,                 79, "set_pos_teach") \
    X(SetOrtTeach,                 80, "set_ort_teach") \
    X(SetStopTeach,                81, "set_stop_teach") \
    X(SetJointStep,                82, "set_joint_step") \
    X(SetPosStep,                  83, "set_pos_step") \
    X(SetOrtStep,                  84, "set_ort_step") \
    X(ControllerState,             85, "controller_state") \
    X(SetArmPower,                 86, "set_arm_power") \
    X(ArmPowerState,               87, "arm_power_state") \
    X(ClearSystemErr,              88, "clear_system_err") \
    X(ArmHardwareVersion,          89, "arm_hardware_version") \
    X(ArmSoftwareVersion,          90, "arm_software_version") \
    X(GetLogFile,                  91, "get_log_file") \
    X(GetSystemRuntime,            92, "get_system_runtime") \
    X(ClearSystemRuntime,          93, "clear_system_runtime") \
    X(GetJointOdom,                94, "get_joint_odom") \
    X(ClearJointOdom,              95, "clear_joint_odom") \
    X(SetHighSpeedEth,             96, "set_high_speed_eth") \
    X(SetToolDOState,             106, "set_tool_DO_state") \
    X(SetDOState,                  97, "set_DO_state") \
    X(SetAOState,                  98, "set_AO_state") \
    X(DOState,                    100, "DO_state") \
    X(DIState,                    101, "DI_state") \
    X(AOState,                    102, "AO_state") \
    X(AIState,                    103, "AI_state") \
    X(IOInputState,               104, "IO_input_state") \
    X(IOOutputState,              105, "IO_output_state") \
    X(SetToolIOMode,              107, "set_tool_IO_mode") \
    X(ToolIOState,                108, "tool_IO_state") \
    X(SetToolVoltage,             109, "set_tool_voltage") \
    X(ToolVoltageState,           110, "tool_voltage_state") \
    X(SetGripperRoute,            111, "set_gripper_route") \
    X(SetGripper,                 112, "set_gripper") \
    X(StartDragTeach,             113, "start_drag_teach") \
    X(StopDragTeach,              114, "stop_drag_teach") \
    X(RunDragTrajectory,          115, "run_drag_trajectory") \
    X(PauseDragTrajectory,        116, "pause_drag_trajectory") \
    X(ContinueDragTrajectory,     117, "continue_drag_trajectory") \
    X(StopDragTrajectory,         118, "stop_drag_trajectory") \
    X(StartMultiDragTeach,        120, "start_multi_drag_teach") \
    X(SetForcePosition,           121, "set_force_position") \
    X(StopForcePosition,          122, "stop_force_position") \
    X(GetForceData,               123, "get_force_data") \
    X(ClearForceData,             124, "clear_force_data") \
    X(StopSetForceSensor,         126, "stop_set_force_sensor") \
    X(SetForceSensor,             125, "set_force_sensor") \
    X(SetHandPosture,             127, "set_hand_posture") \
    X(SetHandSeq,                 128, "set_hand_seq") \
    X(SetHandAngle,               129, "set_hand_angle") \
    X(SetHandSpeed,               130, "set_hand_speed") \
    X(SetPWM,                     132, "set_PWM") \
    X(GetFz,                      133, "get_Fz") \
    X(ClearFz,                    134, "clear_Fz") \
    X(AutoSetFz,                  135, "auto_set_Fz") \
    X(ManualSetFz,                136, "manual_set_Fz") \
    X(CloseModbusMode,            138, "close_modbus_mode") \
    X(CoilsData,                  139, "coils_data") \
    X(InputStatus,                140, "input_status") \
    X(HoldingRegisters,           141, "holding_registers") \
    X(InputRegisters,             142, "input_registers") \
    X(WriteSingleCoil,            143, "write_single_coil") \
    X(WriteCoils,                 144, "write_coils") \
    X(WriteSingleRegister,        145, "write_single_register") \
    X(WriteRegisters,             146, "write_registers") \
    X(SetVehicle,                 147, "set_vehicle") \
    X(SetLiftSpeed,               149, "set_lift_speed") \
    X(SetLiftHeight,              150, "set_lift_height") \
    X(SetLift,                    148, "set_lift") \
    X(LiftState,                  151, "lift_state") \
    X(SetCarMove,                 152, "set_car_move") \
    X(SetCarSpeed,                153, "set_car_speed") \
    X(SetCarNavigationSpeed,      154, "set_car_navigation_speed") \
    X(SetCarNavigationMode,       155, "set_car_navigation_mode") \
    X(GetCarState,                156, "get_car_state") \
    X(SetCarCharge,               157, "set_car_charge") \
    X(SetCarStationNum,           158, "set_car_station_num") \
    X(SetCollisionState,           28, "set_collision_state") \
    X(CurrentJointTemperature,     55, "current_joint_temperature") \
    X(JointDegree,                159, "joint_degree") \
    X(SetArmContinue,              69, "set_arm_continue") \
    X(SetHandForce,               131, "set_hand_force") \
    X(SetModbusMode,              137, "set_modbus_mode") \
    X(StartForcePositionMove,     160, "Start_Force_Position_Move") \
    X(ForcePositionState,         161, "Force_Position_State") \
    X(StopForcePositionMove,      162, "Stop_Force_Position_Move") \
    X(ForcePositionMove,          166, "Force_Position_Move") \
    X(SetTeachFrame,              165, "set_teach_frame") \
    X(DownloadProject,            164, "download_project") \
    X(RunProject,                 163, "run_project") \
    X(InstallPose,                167, "install_pose")

enum class Kind : int {
    None = 0,  // no pattern occurs in the line: the reply reaches nobody
#define ARX_REPLY_KIND_ENUMERATOR(name, number, pattern) name = number,
    ARX_REPLY_KINDS(ARX_REPLY_KIND_ENUMERATOR)
#undef ARX_REPLY_KIND_ENUMERATOR
};

constexpr int number_of(Kind kind) { return static_cast<int>(kind); }

}  // namespace arx::core
