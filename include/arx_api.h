/*
 * arx: client library for the robot-arm controller.
 *
 * The whole public interface: records, enumerations, result codes and every
 * exported function. Functions have plain C names; records are plain data laid
 * out exactly as below (their sizes are checked at compile time).
 *
 * Calling order: Arx_API_Init once, Arm_Socket_Start per controller, commands on
 * the returned handle, Arm_Socket_Close per handle, Arx_API_UnInit last.
 */
#ifndef ARX_API_H
#define ARX_API_H

#include <stdbool.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(ARX_BUILDING_LIBRARY)
#    define ARX_API __declspec(dllexport)
#  else
#    define ARX_API __declspec(dllimport)
#  endif
#else
#  define ARX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------ types */

/* Connection handle: an unsigned 64-bit socket value; 0 is never a connection. */
typedef uint64_t SOCKHANDLE;

/* Arm models. ARM_MODEL_B has seven joints, the others six. */
typedef int32_t ArmModel;
enum {
    ARM_MODEL_A = 0,
    ARM_MODEL_B = 1,
    ARM_MODEL_C1 = 2,
    ARM_MODEL_C2 = 3
};

/* Result codes shared by every command. */
enum {
    ARX_SUCCESS = 0,               /* sent (non-blocking) or reply received and decoded */
    ARX_CONTROLLER_FALSE = 1,      /* the controller answered with a false state */
    ARX_NOT_INITIALISED = 2,       /* library not initialised; Arm_Socket_Start: model unsupported */
    ARX_NETWORK_START_FAILED = 4,  /* Arm_Socket_Start: network start-up, socket creation, registry full */
    ARX_CONNECT_FAILED = 5,        /* Arm_Socket_Start: connect failed; commands: handle is 0 */
    ARX_SEND_FAILED = 6,           /* sending the request failed */
    ARX_REPLY_TIMEOUT = 7,         /* no matching reply within the time limit */
    ARX_STATE_TYPE_ERROR = 8,      /* a true/false member has another type (boolean-8 decoders) */
    ARX_REPLY_NOT_JSON = 9,        /* reply is not JSON, or a needed member is missing */
    ARX_ARRAY_ERROR = 10,          /* a reply array has the wrong type or length (where stated) */
    ARX_TYPE_ERROR = 11,           /* unexpected member type or array length; request refused */
    ARX_POSE_ARRAY_ERROR = 12,     /* a reply array does not hold the six values of a pose */
    ARX_MOVE_NOT_COMPLETED = 14,   /* a move's completion report did not arrive in time */
    ARX_PATH_TOO_LONG = 15,        /* trajectory upload: path longer than 300 characters */
    ARX_PATH_OR_PROJECT = 16,      /* trajectory upload: no directory separator, or project refused */
    ARX_FILE_UNREADABLE = 17,      /* trajectory upload: file cannot be opened or is empty */
    ARX_FILE_TRANSFER_BUSY = 18,   /* a trajectory upload is in progress; nothing was done */
    ARX_NULL_POINTER = 19,         /* a required pointer argument is null; nothing was sent */
    ARX_PENDING_TABLE_FULL = 20    /* too many blocking requests in flight; nothing was sent */
};

/* Failure values of Arm_Socket_Start besides 2, 4 and 5. */
#define ARX_START_FAILED_HANDLE ((SOCKHANDLE)~(SOCKHANDLE)0)

/* Euler angles in radians, fixed axes applied X, then Y, then Z. */
typedef struct { float rx; float ry; float rz; } eul;

/* Unit quaternion, scalar first. */
typedef struct { float w; float x; float y; float z; } ort;

/* Pose for the kinematics: position (m), quaternion and Euler angles. */
typedef struct {
    float x, y, z;
    ort quaternion;
    eul euler;
} Pose;

/* Pose for the commands: position (m) and Euler angles (rad). */
typedef struct {
    float x, y, z;
    float rx, ry, rz;
} POSE;

/* Homogeneous transform (4 x 4) or rotation (3 x 3), row by row; translation in column 3. */
typedef struct {
    int32_t irow;
    int32_t iline;
    float data[4][4];
} Matrix;

/* A frame or tool name: at most 9 characters and a terminating zero. */
typedef struct { char name[10]; } FRAME_NAME;

/* A tool frame or work frame as the controller reports it. */
typedef struct {
    FRAME_NAME frame_name;
    POSE pose;
    float payload;        /* payload mass (tool frames only) */
    float x, y, z;        /* payload centre of mass, m (tool frames only) */
} FRAME;

/* Joint telemetry of Get_Arm_All_State; the first joint-count elements are written. */
typedef struct {
    float unused_a[7];
    float unused_b[7];
    float voltage[7];
    float current[7];
    uint8_t en_flag[7];
    uint16_t err_flag[7];
    uint16_t sys_err;
} JOINT_STATE;

/* A report delivered to the application callback on the receive thread. */
typedef struct {
    int32_t socket;       /* low 32 bits of the connection's handle */
    int32_t code;         /* 1 pushed joint state, 2 pushed pose state, 3 force-position state */
    int32_t err_code;     /* decoding result: 0, 9 or 11 */
    POSE pose;            /* codes 1 and 2 */
    float joint[7];       /* the first joint-count values filled, 0 elsewhere */
    int32_t force;        /* code 3: reported force / 10, truncated toward zero */
    uint16_t arm_err;     /* code 3: reported arm error if present; 8 otherwise */
} CallbackData;

/* Application callback; called on the receive thread. */
typedef void (*ArxCallback)(CallbackData data);

/* Trajectory type reported by the controller. */
typedef enum {
    ARM_CTRL_NONE = 0,   /* "none" */
    ARM_CTRL_MOVEJ = 1,  /* "movej" */
    ARM_CTRL_MOVEL = 2,  /* "movel" */
    ARM_CTRL_MOVEC = 3   /* "movec" */
} ARM_CTRL_MODES;

/* Position axis of the teaching commands. */
typedef enum { POS_TEACH_X = 0, POS_TEACH_Y = 1, POS_TEACH_Z = 2 } POS_TEACH_MODES;

/* Orientation axis of the teaching commands. */
typedef enum { ORT_TEACH_RX = 0, ORT_TEACH_RY = 1, ORT_TEACH_RZ = 2 } ORT_TEACH_MODES;

/* ------------------------------------------------- library and connections */

/* Stores the arm model and callback, loads the model's kinematics, creates the
 * send queue; the first call also starts the send and receive threads. Returns 0. */
ARX_API int Arx_API_Init(int model, ArxCallback callback);

/* Releases the send queue; threads and connections stay. Returns nonzero on success. */
ARX_API int Arx_API_UnInit(void);

/* The library version text "4.0.6"; do not modify or free. */
ARX_API char* API_Version(void);

/* Connects to a controller, reads its current tool frame, work frame and
 * install angles into the kinematics, and returns the handle. recv_timeout (ms)
 * bounds the wait for the rest of a reply line once it has begun. Failures:
 * 2 unsupported arm model, 4 network start-up failed or 300 connections already
 * open, 5 connect failed, ARX_START_FAILED_HANDLE when a frame query failed (the
 * socket is then closed). */
ARX_API SOCKHANDLE Arm_Socket_Start(char* ip, int port, int recv_timeout);

/* Closes the connection and frees its entry for a later connection; 0 and
 * handles that are not open connections are ignored. */
ARX_API void Arm_Socket_Close(SOCKHANDLE handle);

/* Probes whether the connection can still be written to: 0, or 18, 5, 2, and
 * 6 when the send fails or the handle is not an open connection. */
ARX_API int Arm_Socket_State(SOCKHANDLE handle);

/* ---------------------------------------------------------------- kinematics */
/* Pure computation on the process-wide kinematic state (arm model, geometry,
 * install angles, tool-frame and work-frame matrices). Joint angles in degrees,
 * positions in metres, Euler angles in radians. */

/* Loads the geometry, limits and end-link variant 0 of a model (Arx_API_Init
 * calls it); an unknown code changes nothing. For ARM_MODEL_A and ARM_MODEL_B it
 * also resets the tool frame to identity and the install angles about x and y to
 * 0. Until a connection loads them, the tool and work frames are the identity. */
ARX_API void Init_Sys_Data(int model);
/* Install (mounting) angles of the arm base, in degrees. */
ARX_API void setAngle(float x, float y, float z);
/* Selects end-link variant 0, 1 or 2 of the active model; other values are ignored. */
ARX_API void setLwt(int type);

/* Tool pose in the base frame for 6 joint angles (7 for ARM_MODEL_B). Euler
 * angles are reported in [-3.13, 2 pi - 3.13). No model loaded or a null
 * pointer: the zero pose. */
ARX_API Pose Forward_Kinematics(const float* joint);
/* Joint angles (degrees) reaching the tool pose `target`, chosen near
 * `current_joint`. flag 0 reads the target's quaternion, other values its Euler
 * angles; for ARM_MODEL_B flag 2 also reads the quaternion and lets the joints
 * move more than 0.26 rad from the current ones. Returns:
 *    1  solved, `joint_out` holds the solution;
 *    2  no arm model loaded;
 *   19  a pointer argument is null;
 *   ARM_MODEL_A, ARM_MODEL_C1, ARM_MODEL_C2:
 *   -3..-8   joint 1..6 beyond its limit (`joint_out` holds the rejected solution);
 *   -9       no solution (out of reach, or the tool frame is singular);
 *   ARM_MODEL_B (`joint_out` untouched on -1 and -3):
 *   -5..-11  joint 1..7 beyond its limit (`joint_out` holds the rejected solution);
 *   -3       no solution within 0.26 rad of the current joints (or singular tool frame);
 *   -1       the wrist point is out of reach. */
ARX_API int inverse_kinematics(const float* current_joint, const Pose* target,
                               float* joint_out, unsigned char flag);

/* Conversions between poses, matrices, Euler angles and quaternions. */
ARX_API Matrix pos2matrix(Pose pose);
ARX_API Pose matrix2pos(Matrix matrix);
ARX_API Matrix euler2matrix(eul angles);
ARX_API ort euler2quaternion(eul angles);
ARX_API eul quaternion2euler(ort quaternion);

/* Frame transforms and Cartesian helpers. A singular matrix has no inverse: where
 * one would be inverted (the work matrix of Base_To_WorkFrame, and through it of
 * end2tool and Cartesian_Tool) its inverse counts as all zero and the result is
 * the zero pose: position 0, Euler angles 0, quaternion (1, 0, 0, 0). */
ARX_API Pose Base_To_WorkFrame(Matrix work, Pose pose);
ARX_API Pose WorkFrame_To_Base(Matrix work, Pose pose);
ARX_API Pose end2tool(Pose end, Pose tool_frame, Pose work_frame);
ARX_API Pose tool2end(Pose tool_pose, Pose tool_frame, Pose work_frame);
ARX_API Pose Cartesian_Tool(const float* joint, float dx, float dy, float dz, int mode);
ARX_API Pose RotateMove(const float* joint, int axis, float angle, Pose choose_axis);

/* ------------------------------------------------------------------ commands */

/* ---------------------------------------------------- joint configuration */
/* Joint numbers are the controller's; per-joint arrays hold one value per joint
 * of the connection (7 for ARM_MODEL_B, else 6). block: true waits for the
 * reply, false queues the line and returns 0. */

/* Maximum speed of one joint (deg/s). 8: reply state not true/false;
 * 11: speed not finite or out of range (nothing sent). */
ARX_API int Set_Joint_Speed(SOCKHANDLE handle, unsigned char joint, float speed, bool block);
/* Maximum speed of every joint (deg/s). 10: reply array missing its joint count. */
ARX_API int Get_Joint_Speed(SOCKHANDLE handle, float* speed);
/* Current angle of every joint (deg); at most the joint count is written. 11: no array. */
ARX_API int Get_Joint_Degree(SOCKHANDLE handle, float* degree);

/* The setters below refuse a value that is not finite or out of range with 11
 * (nothing sent); 8: reply state not true/false. Min_Pos, Max_Pos and
 * EN_State make no handle or initialisation check. */
/* Maximum acceleration of one joint (deg/s^2). */
ARX_API int Set_Joint_Acc(SOCKHANDLE handle, unsigned char joint, float acc, bool block);
/* Lower position limit of one joint (deg). */
ARX_API int Set_Joint_Min_Pos(SOCKHANDLE handle, unsigned char joint, float pos, bool block);
/* Upper position limit of one joint (deg). */
ARX_API int Set_Joint_Max_Pos(SOCKHANDLE handle, unsigned char joint, float pos, bool block);
/* Enables (true) or disables one joint. */
ARX_API int Set_Joint_EN_State(SOCKHANDLE handle, unsigned char joint, bool state, bool block);
/* Takes the joint's current position as its zero. */
ARX_API int Set_Joint_Zero_Pos(SOCKHANDLE handle, unsigned char joint, bool block);
/* Clears the joint's error. */
ARX_API int Set_Joint_Err_Clear(SOCKHANDLE handle, unsigned char joint, bool block);
/* Zero offsets of every joint (deg), one per joint. 11: reply state not
 * true/false, or an offset not finite or out of range. */
ARX_API int Set_Joint_Zero_Offset(SOCKHANDLE handle, const float* offset, bool block);
/* Starts / stops the joint calibration. */
ARX_API int Start_Calibrate(SOCKHANDLE handle, bool block);
ARX_API int Stop_Calibrate(SOCKHANDLE handle, bool block);

/* Per-joint queries: one value per joint is written only when the reply holds
 * exactly that many. */
/* Maximum acceleration of every joint (deg/s^2). 10: not an array or wrong length. */
ARX_API int Get_Joint_Acc(SOCKHANDLE handle, float* acc);
/* Lower position limits (deg). 10: not an array or wrong length. */
ARX_API int Get_Joint_Min_Pos(SOCKHANDLE handle, float* pos);
/* Upper position limits (deg). 10: not an array; 11: wrong length. */
ARX_API int Get_Joint_Max_Pos(SOCKHANDLE handle, float* pos);
/* Enable states (low 8 bits). 10: not an array; 11: wrong length. */
ARX_API int Get_Joint_EN_State(SOCKHANDLE handle, unsigned char* state);
/* Error flags (low 16 bits). 10: not an array; 11: wrong length. */
ARX_API int Get_Joint_Err_Flag(SOCKHANDLE handle, unsigned short* flags);
/* Firmware versions. 10: not an array; 11: wrong length. */
ARX_API int Get_Joint_Software_Version(SOCKHANDLE handle, float* version);
/* Calibration state of every joint (0 to 255, the low 8 bits); `second` and
 * `third` must be given but are not written. 9: not an array; 10: wrong length. */
ARX_API int Get_Calibrate_State(SOCKHANDLE handle, float* state, unsigned short* second, int* third);

/* ---------------------------------------- arm limits, installation and servo */
/* No function of this section checks the handle or the initialisation.
 * Setters: 8 or 11 (as stated) when the reply state is not true/false, and 11
 * for a value that is not finite or out of range (nothing sent). */

/* Cartesian limits: line speed (m/s), line acceleration (m/s^2), angular
 * speed (rad/s), angular acceleration (rad/s^2). 8: reply state not true/false. */
ARX_API int Set_Arm_Line_Speed(SOCKHANDLE handle, float speed, bool block);
ARX_API int Set_Arm_Line_Acc(SOCKHANDLE handle, float acc, bool block);
ARX_API int Set_Arm_Angular_Speed(SOCKHANDLE handle, float speed, bool block);
ARX_API int Set_Arm_Angular_Acc(SOCKHANDLE handle, float acc, bool block);
/* The same limits read back. 11: not a number. */
ARX_API int Get_Arm_Line_Speed(SOCKHANDLE handle, float* speed);
ARX_API int Get_Arm_Line_Acc(SOCKHANDLE handle, float* acc);
ARX_API int Get_Arm_Angular_Speed(SOCKHANDLE handle, float* speed);
ARX_API int Get_Arm_Angular_Acc(SOCKHANDLE handle, float* acc);

/* Initialises the end of the arm. 11: reply state not true/false. */
ARX_API int Set_Arm_Tip_Init(SOCKHANDLE handle, bool block);
/* Collision sensitivity stage. 11: reply state not true/false. */
ARX_API int Set_Collision_Stage(SOCKHANDLE handle, int stage, bool block);
/* Collision sensitivity stage read back. 11: not a number. */
ARX_API int Get_Collision_Stage(SOCKHANDLE handle, int* stage);

/* DH values (sent x10, truncated); the fourth is the end-link length, which the
 * kinematics take at once when queued, on success when blocking. 11: reply
 * state not true/false. */
ARX_API int Set_DH_Data(SOCKHANDLE handle, float dh1, float dh2, float dh3, float end_link, float dh5,
                        bool block);
/* DH values read back; on success the fourth becomes the end-link length.
 * 11: "data" not an array of at least 5 numbers. */
ARX_API int Get_DH_Data(SOCKHANDLE handle, float* dh1, float* dh2, float* dh3, float* end_link, float* dh5);
/* Dynamic parameters: 12, or 14 on an ARM_MODEL_B connection. 11: reply state
 * not true/false. */
ARX_API int Set_Arm_Dynamic_Parm(SOCKHANDLE handle, const float* parm, bool block);

/* Initial (home) joint position (deg), one per joint. 11: reply state not true/false. */
ARX_API int Set_Arm_Init_Pose(SOCKHANDLE handle, const float* joint, bool block);
/* Initial joint position read back. 11: not an array, or not one value per joint. */
ARX_API int Get_Arm_Init_Pose(SOCKHANDLE handle, float* joint);
/* Installation (mounting) angles in degrees, sent as given; the kinematics take
 * them at once when queued, on success when blocking. 11: reply state not true/false. */
ARX_API int Set_Install_Pose(SOCKHANDLE handle, float x, float y, float z, bool block);

/* Installation (mounting) angles in degrees; on success they become the
 * kinematics' install angles. 11: "pose" not an array of at least 3 numbers. */
ARX_API int Get_Install_Pose(SOCKHANDLE handle, float* x, float* y, float* z);

/* Servo switches and arm power (sent as 1 / 0). 11: reply state not true/false. */
ARX_API int Set_Arm_Servo_State(SOCKHANDLE handle, bool state, bool block);
ARX_API int Set_System_State_Servo(SOCKHANDLE handle, bool state, bool block);
ARX_API int Set_Arm_Power(SOCKHANDLE handle, bool on, bool block);
/* Arm power state. 11: not a number. */
ARX_API int Get_Arm_Power_State(SOCKHANDLE handle, int* state);

/* ------------------------------------------- tool frames, work frames, payload */
/* Frame names are at most 9 characters as stored (longer names are cut to 9,
 * with no terminator). block: true waits for the reply, false queues the line
 * and returns 0. Only Arm_Socket_Start loads the active frames into the
 * kinematics: changing a frame here does not update them. */

/* Name lists fill at most this many FRAME_NAME entries: the caller's array must
 * hold ARX_FRAME_NAME_CAPACITY names. */
#define ARX_FRAME_NAME_CAPACITY 10

/* Teaches the tool frame from point point_num (1..) of the automatic method. 11: reply state not true/false. */
ARX_API int Auto_Set_Tool_Frame(SOCKHANDLE handle, unsigned char point_num, bool block);
/* Computes and saves the taught tool frame `name` with payload (kg) at x, y, z (m). 11: state type. */
ARX_API int Generate_Auto_Tool_Frame(SOCKHANDLE handle, const char* name, float payload, float x, float y,
                                     float z, bool block);
/* Saves tool frame `name` with its pose, payload (kg, sent unscaled) and centre of mass (m). 11: state type. */
ARX_API int Manual_Set_Tool_Frame(SOCKHANDLE handle, const char* name, POSE pose, float payload, float x,
                                  float y, float z, bool block);
/* Makes tool frame `name` active; blocking calls wait 300 ms more after the reply. 11: state type. */
ARX_API int Change_Tool_Frame(SOCKHANDLE handle, const char* name, bool block);
/* Deletes tool frame `name`. 11: state type. */
ARX_API int Delete_Tool_Frame(SOCKHANDLE handle, const char* name, bool block);
/* Sets the active tool's payload (sent unchanged) and its centre of mass (m). 11: state type. */
ARX_API int Set_Payload(SOCKHANDLE handle, int payload, float x, float y, float z, bool block);
/* Clears the active tool's payload. 11: state type. */
ARX_API int Set_None_Payload(SOCKHANDLE handle, bool block);
/* Reads the active tool frame (payload as its whole number). 11: wrong type or
 * "position" not 3 values; 12: pose not 6 values. */
ARX_API int Get_Current_Tool_Frame(SOCKHANDLE handle, FRAME* frame);
/* Reads tool frame `name` (its name field is not written; payload with fraction).
 * 11: wrong type or "position" not 3 values; 12: pose not 6 values. */
ARX_API int Get_Given_Tool_Frame(SOCKHANDLE handle, const char* name, FRAME* frame);
/* Lists the tool frame names up to the controller's "NULL" entry, at most
 * ARX_FRAME_NAME_CAPACITY; *count is written only when a name is copied. 11: no list. */
ARX_API int Get_All_Tool_Frame(SOCKHANDLE handle, FRAME_NAME* names, int* count);
/* Teaches work frame `name` from point point_num (1..) of the automatic method. 11: state type. */
ARX_API int Auto_Set_Work_Frame(SOCKHANDLE handle, const char* name, unsigned char point_num, bool block);
/* Saves work frame `name` at `pose`. 11: state type. */
ARX_API int Manual_Set_Work_Frame(SOCKHANDLE handle, const char* name, POSE pose, bool block);
/* Makes work frame `name` active; blocking calls wait 300 ms more after the reply. 11: state type. */
ARX_API int Change_Work_Frame(SOCKHANDLE handle, const char* name, bool block);
/* Deletes work frame `name`. 11: state type. */
ARX_API int Delete_Work_Frame(SOCKHANDLE handle, const char* name, bool block);
/* Reads the active work frame's name and pose (payload and centre of mass are
 * not written). 11: name not text or pose not an array; 12: pose not 6 values. */
ARX_API int Get_Current_Work_Frame(SOCKHANDLE handle, FRAME* frame);
/* Reads the pose of work frame `name`. 11: pose not an array; 12: pose not 6 values. */
ARX_API int Get_Given_Work_Frame(SOCKHANDLE handle, const char* name, POSE* pose);
/* Lists the work frame names, as Get_All_Tool_Frame. 11: no list. */
ARX_API int Get_All_Work_Frame(SOCKHANDLE handle, FRAME_NAME* names, int* count);

/* ------------------------------------------------ arm state and joint telemetry */
/* Always blocking. Per-joint arrays hold one value per joint of the connection
 * (7 for ARM_MODEL_B, else 6); a reply array of another length gives 11. */

/* Joint angles (deg), end pose and error codes in one reply. 11: wrong type or
 * joint count; 12: pose not 6 values (nothing written). */
ARX_API int Get_Current_Arm_State(SOCKHANDLE handle, float* joint, POSE* pose, unsigned short* arm_err,
                                  unsigned short* sys_err);
/* Joint temperatures. 11: no array or wrong joint count. */
ARX_API int Get_Joint_Temperature(SOCKHANDLE handle, float* temperature);
/* Joint currents. 11: no array or wrong joint count. */
ARX_API int Get_Joint_Current(SOCKHANDLE handle, float* current);
/* Joint voltages. 11: no array or wrong joint count. */
ARX_API int Get_Joint_Voltage(SOCKHANDLE handle, float* voltage);
/* Voltage, current, enable and error flags of every joint and the system error;
 * the leading unused fields are not written. Prints the raw reply as
 * "all_state:<reply>" on standard output. 11: wrong type or joint count. */
ARX_API int Get_Arm_All_State(SOCKHANDLE handle, JOINT_STATE* state);
/* Number of the trajectory plan being executed. 11: not a number. */
ARX_API int Get_Arm_Plan_Num(SOCKHANDLE handle, int* plan);

/* ---------------------------- controller state, versions, runtime and network */
/* Queries are always blocking; block: true waits for the reply, false queues
 * the line and returns 0. The five network settings at the end are send-only:
 * 0 once sent, 6 if the send fails, no reply awaited. */

/* Supply voltage, current and temperature of the controller and its error flags. 11: not a number. */
ARX_API int Get_Controller_State(SOCKHANDLE handle, float* voltage, float* current, float* temperature,
                                 unsigned short* err_flag);
/* Software versions as decimal text; each buffer must hold 12 characters. 11: not a number. */
ARX_API int Get_Arm_Software_Version(SOCKHANDLE handle, char* plan, char* ctrl, char* kernel1, char* kernel2);
/* Tool-end software version. 11: not a number. */
ARX_API int Get_Tool_Software_Version(SOCKHANDLE handle, int* version);
/* Asks the controller to produce its log file. 11: reply state not true/false. */
ARX_API int Get_Log_File(SOCKHANDLE handle, bool block);
/* Running time of the controller. A reply with a "sys_state" text returns 0 and
 * writes nothing (state is never written). 11: wrong type. */
ARX_API int Get_System_Runtime(SOCKHANDLE handle, char* state, int* day, int* hour, int* min, int* sec);
/* Resets the running-time counter. 11: state type. */
ARX_API int Clear_System_Runtime(SOCKHANDLE handle, bool block);
/* Distance travelled by each joint, unscaled; at most the joint count of the
 * connection is written. "sys_state" text as Get_System_Runtime. 11: wrong type. */
ARX_API int Get_Joint_Odom(SOCKHANDLE handle, char* state, float* odom);
/* Resets the joint odometry. 11: state type. */
ARX_API int Clear_Joint_Odom(SOCKHANDLE handle, bool block);
/* Clears the system error. 11: state type. */
ARX_API int Clear_System_Err(SOCKHANDLE handle, bool block);
/* High-speed Ethernet mode; a blocking call returns 1000 ms after the reply or
 * the time-out. 11: state type. */
ARX_API int Set_High_Speed_Eth(SOCKHANDLE handle, unsigned char mode, bool block);
/* Wi-Fi access point name and password (send-only). */
ARX_API int Set_WiFi_AP_Data(SOCKHANDLE handle, const char* wifi_name, const char* password);
/* Wi-Fi client: router name and password (send-only). */
ARX_API int Set_WiFI_STA_Data(SOCKHANDLE handle, const char* router_name, const char* password);
/* USB baud rate (send-only). */
ARX_API int Set_USB_Data(SOCKHANDLE handle, int baudrate);
/* RS485 baud rate (send-only). */
ARX_API int Set_RS485(SOCKHANDLE handle, int baudrate);
/* Switches the controller to wired Ethernet (send-only). */
ARX_API int Set_Ethernet(SOCKHANDLE handle);

/* ------------------------------------------------------------------- motion */
/* Joint arrays hold one angle (deg) per joint: seven are sent on an
 * ARM_MODEL_B connection, six (joint[6] unread) on the others. Poses are in
 * metres and radians. v is the controller's speed value and r the blend
 * radius, sent x1000. Values are truncated toward zero on the wire; one that
 * is not finite or out of range is refused with ARX_TYPE_ERROR, nothing sent.
 * block: true waits for the controller's arrival report, sent when the
 * trajectory is done; false queues the line and returns ARX_SUCCESS. The
 * report's state false gives ARX_CONTROLLER_FALSE; another type ARX_TYPE_ERROR.
 * A blocking move waits 23 s (movel: 5 s) for the report alone, then watches
 * the arm through Get_Current_Arm_State; ending such a wait takes only the
 * caller's own report slot, so other moves on the connection keep waiting. */

/* Moves in joint space to joint angles (deg). Errors: ARX_NULL_POINTER when
 * joint is null; ARX_MOVE_NOT_COMPLETED when, after the 23 s grace period, the
 * arm stood still (every joint within 0.1 deg) at five samples without a
 * report; a state query's code when seven of them failed. */
ARX_API int Movej_Cmd(SOCKHANDLE handle, const float* joint, unsigned char v, float r, bool block);
/* Moves in a straight line to a pose. Errors: ARX_MOVE_NOT_COMPLETED when,
 * after the 5 s grace period, the arm stood still at five samples without a
 * report; a state query's code when nineteen of them failed. */
ARX_API int Movel_Cmd(SOCKHANDLE handle, POSE pose, unsigned char v, float r, bool block);
/* Moves on a circle through pose_via to pose_to, `loop` times round. Waits for
 * as long as the arm answers its state queries. Errors: a state query's code
 * when seven of them failed after the 23 s grace period. */
ARX_API int Movec_Cmd(SOCKHANDLE handle, POSE pose_via, POSE pose_to, unsigned char v, float r,
                      unsigned char loop, bool block);
/* Moves in joint space to a pose. Errors: ARX_REPLY_TIMEOUT when no report
 * came within 23 s. */
ARX_API int Movej_P_Cmd(SOCKHANDLE handle, POSE pose, unsigned char v, float r, bool block);

/* Streaming set-points for control loops: one joint set-point (deg) or pose,
 * sent at once from the calling thread; no reply, no pause, nothing queued.
 * A failed send is not reported (ARX_SUCCESS). Errors: ARX_NULL_POINTER when
 * joint is null. */
ARX_API int Movej_CANFD(SOCKHANDLE handle, const float* joint);
ARX_API int Movep_CANFD(SOCKHANDLE handle, POSE pose);

/* Reads the arm state, then moves in a straight line (as Movel_Cmd) by dx, dy,
 * dz (m) along the tool's own axes from the pose of `joint` (deg); mode is
 * accepted and unused. Errors: ARX_NULL_POINTER when joint is null; the state
 * query's code when it fails (nothing moved). */
ARX_API int MoveCartesianTool_Cmd(SOCKHANDLE handle, float* joint, float dx, float dy, float dz, int mode,
                                  unsigned char v, float r, bool block);
/* Reads the arm's joints, then turns the tool's orientation by `angle` (deg)
 * about axis 1, 2 or 3 (x, y, z) of the frame choose_axis, keeping its
 * position, with a straight-line move (as Movel_Cmd). Errors: the state
 * query's code when it fails (nothing moved). */
ARX_API int MoveRotate_Cmd(SOCKHANDLE handle, int axis, float angle, Pose choose_axis, unsigned char v,
                           float r, bool block);

/* Stop, pause and continue the motion; delete the current or every queued
 * trajectory. Errors: ARX_TYPE_ERROR when the reply state is not true/false. */
ARX_API int Move_Stop_Cmd(SOCKHANDLE handle, bool block);
ARX_API int Move_Pause_Cmd(SOCKHANDLE handle, bool block);
ARX_API int Move_Continue_Cmd(SOCKHANDLE handle, bool block);
ARX_API int Clear_Current_Trajectory(SOCKHANDLE handle, bool block);
ARX_API int Clear_All_Trajectory(SOCKHANDLE handle, bool block);
/* The current trajectory's type and set-point: joint angles (deg, one per
 * joint) for ARM_CTRL_NONE and ARM_CTRL_MOVEJ, a pose (x, y, z m, rx, ry, rz
 * rad) for ARM_CTRL_MOVEL and ARM_CTRL_MOVEC; data holds at least six and at
 * least the joint count. Errors: ARX_NULL_POINTER when type or data is null;
 * ARX_TYPE_ERROR when the type is unknown or "data" holds fewer values than it
 * needs (nothing written). */
ARX_API int Get_Current_Trajectory(SOCKHANDLE handle, ARM_CTRL_MODES* type, float* data);

/* --------------------------------------------------------- waypoints, timer */
/* block: true waits for the reply, false queues the line and returns
 * ARX_SUCCESS. Errors: ARX_TYPE_ERROR when the reply state is not true/false,
 * except where stated. */

/* Adds a waypoint of joint angles (deg, one per joint). Only a state of false
 * refuses it (ARX_CONTROLLER_FALSE). Errors: ARX_NULL_POINTER when joint is null. */
ARX_API int Add_Waypoint(SOCKHANDLE handle, const float* joint, bool block);
/* Replays the waypoints at `frequency` (the controller's unit). */
ARX_API int Start_Waypoint(SOCKHANDLE handle, int frequency, bool block);
/* Stops the replay / clears the waypoints. */
ARX_API int Stop_Waypoint(SOCKHANDLE handle, bool block);
ARX_API int Clear_Waypoint(SOCKHANDLE handle, bool block);
/* Asks the controller to wait `wait_time` (the controller's unit). */
ARX_API int Timer(SOCKHANDLE handle, int wait_time, bool block);

/* ------------------------------------------------------ teaching and stepping */
/* direction: non-zero positive, zero negative. Axes other than 0, 1 and 2
 * name no axis (the controller's default). block: true waits for the reply,
 * false queues the line and returns ARX_SUCCESS. Errors: ARX_TYPE_ERROR when
 * the reply state is not true/false, except where stated. */

/* Teaching: the joint, or the tool along / about an axis, moves until
 * Teach_Stop_Cmd. */
ARX_API int Joint_Teach_Cmd(SOCKHANDLE handle, unsigned char joint, unsigned char direction, unsigned char v,
                            bool block);
ARX_API int Pos_Teach_Cmd(SOCKHANDLE handle, POS_TEACH_MODES axis, unsigned char direction, unsigned char v,
                          bool block);
ARX_API int Ort_Teach_Cmd(SOCKHANDLE handle, ORT_TEACH_MODES axis, unsigned char direction, unsigned char v,
                          bool block);
ARX_API int Teach_Stop_Cmd(SOCKHANDLE handle, bool block);
/* Single steps of a joint (deg, sent x1000 with its fraction), along a
 * position axis (m) or about an orientation axis (rad); blocking calls wait
 * 3000 ms for the arrival report. Errors: ARX_REPLY_TIMEOUT when the step took
 * longer. */
ARX_API int Joint_Step_Cmd(SOCKHANDLE handle, unsigned char joint, float step, unsigned char v, bool block);
ARX_API int Pos_Step_Cmd(SOCKHANDLE handle, POS_TEACH_MODES axis, float step, unsigned char v, bool block);
ARX_API int Ort_Step_Cmd(SOCKHANDLE handle, ORT_TEACH_MODES axis, float step, unsigned char v, bool block);
/* The frame position and orientation teaching move in (the controller's
 * numbering); block 1 waits, other values queue. Only a state of false
 * refuses (ARX_CONTROLLER_FALSE). Errors: ARX_STATE_TYPE_ERROR when the reply
 * has no state. */
ARX_API int Set_Teach_Frame(SOCKHANDLE handle, int frame_type, int block);

/* ------------------------------------------- drag teaching, trajectory files */
/* block: true waits for the reply, false queues the line and returns
 * ARX_SUCCESS. Errors: ARX_TYPE_ERROR when the reply state is not true/false. */

/* Starts (recording the trajectory) / stops drag teaching; starts it in one of
 * the controller's modes. */
ARX_API int Start_Drag_Teach(SOCKHANDLE handle, bool block);
ARX_API int Stop_Drag_Teach(SOCKHANDLE handle, bool block);
ARX_API int Start_Multi_Drag_Teach(SOCKHANDLE handle, int mode, bool block);
/* Replays, pauses, continues and stops the recorded trajectory. */
ARX_API int Run_Drag_Trajectory(SOCKHANDLE handle, bool block);
ARX_API int Pause_Drag_Trajectory(SOCKHANDLE handle, bool block);
ARX_API int Continue_Drag_Trajectory(SOCKHANDLE handle, bool block);
ARX_API int Stop_Drag_Trajectory(SOCKHANDLE handle, bool block);
/* Moves to the recorded trajectory's origin; blocking calls wait 3000 ms for
 * the arrival report. Errors: ARX_REPLY_TIMEOUT when the move took longer. */
ARX_API int Drag_Trajectory_Origin(SOCKHANDLE handle, bool block);
/* Downloads a text file (up to its first zero byte, at most 102 400 bytes) as
 * a project named after the path's last component, to run at plan_speed; path
 * is a file path of path_length bytes. Always blocking; while it runs, every
 * other command on this connection returns ARX_FILE_TRANSFER_BUSY (other
 * connections are not affected). Errors: ARX_FILE_TRANSFER_BUSY when a
 * download already runs on this connection; ARX_NULL_POINTER when path is
 * null; ARX_PATH_TOO_LONG when path_length is negative or over 300, or the
 * name does not fit the announcement; ARX_PATH_OR_PROJECT when the path has no
 * "/" or backslash, or the controller refuses the project or its content;
 * ARX_FILE_UNREADABLE when the file cannot be opened or is empty. */
ARX_API int Send_TrajectoryFile(SOCKHANDLE handle, char* path, int path_length, int plan_speed);

#ifdef __cplusplus
} /* extern "C" */
#endif

#ifdef __cplusplus
static_assert(sizeof(eul) == 12, "eul layout");
static_assert(sizeof(ort) == 16, "ort layout");
static_assert(sizeof(Pose) == 40, "Pose layout");
static_assert(sizeof(POSE) == 24, "POSE layout");
static_assert(sizeof(Matrix) == 72, "Matrix layout");
static_assert(sizeof(FRAME_NAME) == 10, "FRAME_NAME layout");
static_assert(sizeof(FRAME) == 52, "FRAME layout");
static_assert(sizeof(JOINT_STATE) == 136, "JOINT_STATE layout");
static_assert(sizeof(CallbackData) == 72, "CallbackData layout");
#else
_Static_assert(sizeof(eul) == 12, "eul layout");
_Static_assert(sizeof(ort) == 16, "ort layout");
_Static_assert(sizeof(Pose) == 40, "Pose layout");
_Static_assert(sizeof(POSE) == 24, "POSE layout");
_Static_assert(sizeof(Matrix) == 72, "Matrix layout");
_Static_assert(sizeof(FRAME_NAME) == 10, "FRAME_NAME layout");
_Static_assert(sizeof(FRAME) == 52, "FRAME layout");
_Static_assert(sizeof(JOINT_STATE) == 136, "JOINT_STATE layout");
_Static_assert(sizeof(CallbackData) == 72, "CallbackData layout");
#endif

#endif /* ARX_API_H */
