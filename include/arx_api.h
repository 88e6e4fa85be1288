/*
 * arx: client library for the robot-arm controller.
 *
 * The whole public interface: records, enumerations, result codes and every
 * exported function. Functions have plain C names; records are plain data laid
 * out exactly as below (their sizes are checked at compile time).
 *
 * Calling order: Arx_API_Init once, Arm_Socket_Start per controller, commands on
 * the returned handle, Arm_Socket_Close per handle, Arx_API_UnInit last.
 *
 * Each function's comment has one shape: what it does (units), then "Errors:
 * ARX_NAME when ...", listing only the codes beyond those its section names as
 * common, then its parameters (@param), result (@return) and how long it
 * blocks (@blocking). make docs makes the reference from these comments
 * (tools/doxygen_filter.py); a section heading opens a family's page.
 */
#ifndef ARX_API_H
#define ARX_API_H

#include <stdbool.h>
#include <stdint.h>

/* ARX_STATIC: the static library (tests), which neither exports nor imports. */
#if defined(ARX_STATIC)
#  define ARX_API
#elif defined(_WIN32)
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
/* The handle, the arm models, the result codes and the records that the
 * functions take and fill. Records are plain data laid out exactly as below. */

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
    ARX_PENDING_TABLE_FULL = 20    /* too many replies awaited (2000; 1000 set-points of one
                                      connection), or the send queue is full (599 lines);
                                      nothing was sent or queued */
};

/* Arm_Socket_Start's failure value besides ARX_NOT_INITIALISED,
 * ARX_NETWORK_START_FAILED and ARX_CONNECT_FAILED. */
#define ARX_START_FAILED_HANDLE ((SOCKHANDLE)~(SOCKHANDLE)0)

/* Arm_Socket_Start returns a handle or a failure in the same value: a handle is
 * never below 16, and 2, 4, 5 and ARX_START_FAILED_HANDLE are failures (the
 * code itself, for Arx_Result_Text, when below 16). Check before using it:
 *     SOCKHANDLE arm = Arm_Socket_Start("127.0.0.1", 8080, 200);
 *     if (!ARX_HANDLE_IS_VALID(arm)) fprintf(stderr, "%s\n", Arx_Result_Text((int)arm)); */
#define ARX_HANDLE_IS_VALID(h) ((SOCKHANDLE)(h) >= 16u && (SOCKHANDLE)(h) != ARX_START_FAILED_HANDLE)

/* Euler angles in radians, fixed axes applied X, then Y, then Z. */
typedef struct {
    float rx; /* about the fixed X axis, rad */
    float ry; /* about the fixed Y axis, rad */
    float rz; /* about the fixed Z axis, rad */
} eul;

/* Unit quaternion, scalar first. */
typedef struct {
    float w; /* scalar part */
    float x; /* vector part, x */
    float y; /* vector part, y */
    float z; /* vector part, z */
} ort;

/* Pose for the kinematics: position (m), quaternion and Euler angles. */
typedef struct {
    float x;        /* position, m */
    float y;        /* position, m */
    float z;        /* position, m */
    ort quaternion; /* orientation as a unit quaternion */
    eul euler;      /* the same orientation as Euler angles, rad */
} Pose;

/* Pose for the commands: position (m) and Euler angles (rad). */
typedef struct {
    float x;  /* position, m */
    float y;  /* position, m */
    float z;  /* position, m */
    float rx; /* Euler angle about X, rad */
    float ry; /* Euler angle about Y, rad */
    float rz; /* Euler angle about Z, rad */
} POSE;

/* Homogeneous transform (4 x 4) or rotation (3 x 3), row by row; translation in column 3. */
typedef struct {
    int32_t irow;     /* rows in use: 4 or 3 */
    int32_t iline;    /* columns in use: 4 or 3 */
    float data[4][4]; /* row by row; translation (m) in column 3 */
} Matrix;

/* A frame or tool name: at most 9 characters and a terminating zero. */
typedef struct {
    char name[10]; /* the name, zero-terminated */
} FRAME_NAME;

/* A tool frame or work frame as the controller reports it. */
typedef struct {
    FRAME_NAME name; /* the frame's name */
    POSE pose;       /* the frame's pose (m, rad) */
    float payload;   /* payload mass (tool frames only) */
    float x;         /* payload centre of mass x, m (tool frames only) */
    float y;         /* payload centre of mass y, m (tool frames only) */
    float z;         /* payload centre of mass z, m (tool frames only) */
} FRAME;

/* Joint telemetry of Get_Arm_All_State; the first joint-count elements are written. */
typedef struct {
    float unused_a[7];    /* not written */
    float unused_b[7];    /* not written */
    float voltage[7];     /* per joint, the controller's thousandths / 1000 */
    float current[7];     /* per joint, the controller's thousandths / 1000 */
    uint8_t en_flag[7];   /* per joint, the enable flag (1 enabled) */
    uint16_t err_flag[7]; /* per joint, the controller's error flags */
    uint16_t sys_err;     /* the system error code */
} JOINT_STATE;

/* A report delivered to the application callback on the receive thread. */
typedef struct {
    int32_t socket;       /* low 32 bits of the connection's handle */
    int32_t code;         /* 1 pushed joint state, 2 pushed pose state, 3 force-position state */
    int32_t err_code;     /* decoding result: ARX_SUCCESS, ARX_REPLY_NOT_JSON or ARX_TYPE_ERROR */
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
/* Initialisation, the library version, and opening, probing and closing the
 * connection to a controller. Once the controller has ended a connection (end
 * of stream, reset), every send on it fails at once with ARX_SEND_FAILED:
 * Arm_Socket_State, queued commands, set-points and blocking commands. Close
 * the handle and start a new connection. */

/* Stores the arm model and callback, loads the model's kinematics and creates
 * the send queue; the first call also starts the send and receive threads.
 * Always returns ARX_SUCCESS.
 * @param model arm model (ArmModel: ARM_MODEL_A .. ARM_MODEL_C2)
 * @param callback called on the receive thread with each pushed report; null for none
 * @return ARX_SUCCESS
 * @blocking no network wait; the first call starts the two background threads. */
ARX_API int Arx_API_Init(int model, ArxCallback callback);

/* Releases the send queue (queued commands then drop their line); threads and
 * connections stay. Returns nonzero (1) on success.
 * @return 1, always
 * @blocking no. */
ARX_API int Arx_API_UnInit(void);

/* The library version text (major.minor.patch, such as "4.0.6"); do not modify or free.
 * @return the version text, static
 * @blocking no. */
ARX_API char* API_Version(void);

/* Connects to a controller, reads its current tool frame, work frame and
 * install angles into the kinematics, and returns the handle (the socket
 * number: once closed, a later connection may get the same number, so never
 * close a handle twice). recv_timeout (ms) is also the connection's send limit
 * (3000 ms when 0), and a reply line begun is waited for at least 3000 ms.
 * Errors (returned as the handle): ARX_NOT_INITIALISED before Arx_API_Init
 * (nothing is connected) or when the arm model is not supported;
 * ARX_NETWORK_START_FAILED when the network start-up or socket creation fails
 * or 300 connections are already open; ARX_CONNECT_FAILED when the connection
 * is refused or not answered within 3000 ms; ARX_START_FAILED_HANDLE when a
 * frame query fails (the socket is then closed).
 * @param ip the controller's IPv4 address as text
 * @param port the controller's TCP port
 * @param recv_timeout ms (0: 3000): the send limit; a begun reply line is awaited this long or 3000 ms, the longer
 * @return the handle, or a failure (see ARX_HANDLE_IS_VALID)
 * @blocking up to 3000 ms to connect, then three start-up queries (each 20 ms pause and up to
 * 3000 ms for its reply; about 80 ms in all on a quick controller). */
ARX_API SOCKHANDLE Arm_Socket_Start(const char* ip, int port, int recv_timeout);

/* Closes the connection and frees its entry for a later connection, with all
 * the library held for it: calls waiting on it for a reply or a move's report
 * return ARX_SEND_FAILED at once, its queued lines are dropped, its
 * force-position set-points give back their places in the table of awaited
 * replies. A send blocked on it returns at once. 0 and handles that are not
 * open connections are ignored.
 * @param handle connection to close; 0 and unknown handles are ignored
 * @blocking no: it wakes the calls waiting on the connection. */
ARX_API void Arm_Socket_Close(SOCKHANDLE handle);

/* Probes whether the connection can still be written to (sends one query line,
 * awaits no reply). Errors: ARX_FILE_TRANSFER_BUSY when a trajectory upload
 * runs; ARX_CONNECT_FAILED when the handle is 0; ARX_NOT_INITIALISED before
 * Arx_API_Init; ARX_SEND_FAILED when the send fails or the handle is not an
 * open connection.
 * @param handle connection (from Arm_Socket_Start)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause and the send (at most the connection's send limit). */
ARX_API int Arm_Socket_State(SOCKHANDLE handle);

/* -------------------------------------------------------- errors and logging */
/* Additions of ours, beside the controller's own command set: result codes as
 * text, and a log of what the library gave up or refused. None of them blocks,
 * sends anything or needs Arx_API_Init; any thread may call them at any time. */

/* Log levels of Arx_Set_Log_Handler. */
#define ARX_LOG_DEBUG 0    /* raw texts, such as the reply of Get_Arm_All_State */
#define ARX_LOG_INFO 1     /* ordinary events, such as a connection's end */
#define ARX_LOG_WARNING 2  /* something refused or given up: a request refused before sending, a
                              time-out, a late reply discarded, a line cut, a DH value not taken */
#define ARX_LOG_ERROR 3    /* a fault the library could not work around */

/* A log handler: `level` is an ARX_LOG_* value, `text` one line without a line
 * end, valid only during the call (copy it to keep it). It may be called from
 * the receive thread, the send thread and any thread that calls the library,
 * also from several at once, so it must be thread-safe and short, and it must
 * not call the library's blocking functions (on the receive thread that waits
 * for itself). Texts may quote what the controller sent, unfiltered. */
typedef void (*ArxLogHandler)(int level, const char* text);

/* Sends the library's log lines at `min_level` and above to `handler`: below
 * ARX_LOG_DEBUG counts as ARX_LOG_DEBUG, above ARX_LOG_ERROR lets nothing
 * through; a null handler turns the log off (the default). With no handler set
 * a log point costs one atomic load and formats nothing. A line under way
 * while the handler changes may still reach the previous one.
 * @param min_level the lowest ARX_LOG_* level passed on
 * @param handler the handler, or null to turn the log off
 * @blocking no. */
ARX_API void Arx_Set_Log_Handler(int min_level, ArxLogHandler handler);

/* A short English text for a result code of the commands and of
 * Arm_Socket_Start: every ARX_* code above, (int)ARX_START_FAILED_HANDLE (-1)
 * included; "unknown result code" for any other value. A static string: do
 * not modify or free it.
 * @param code a result code
 * @return the text, static
 * @blocking no. */
ARX_API const char* Arx_Result_Text(int code);

/* A short English text for a result of inverse_kinematics, read for the arm
 * model now loaded (the one inverse_kinematics uses): its negative codes mean
 * different joints on ARM_MODEL_B and on the six-joint models, and 1 means
 * success there, not ARX_CONTROLLER_FALSE; "unknown inverse kinematics result"
 * for any other value. A static string: do not modify or free it.
 * @param code a result of inverse_kinematics
 * @return the text, static
 * @blocking no. */
ARX_API const char* Arx_IK_Result_Text(int code);

/* ---------------------------------------------------------------- kinematics */
/* Pure computation on the process-wide kinematic state (arm model, geometry,
 * install angles, tool-frame and work-frame matrices). Joint angles in degrees,
 * positions in metres, Euler angles in radians. These functions return values,
 * not ARX_* codes; only inverse_kinematics reports errors, with its own codes. */

/* Loads the geometry, limits and end-link variant 0 of a model (Arx_API_Init
 * calls it); an unknown code changes nothing. For ARM_MODEL_A and ARM_MODEL_B it
 * also resets the tool frame to identity and the install angles about x and y to
 * 0. Until a connection loads them, the tool and work frames are the identity.
 * @param model arm model (ArmModel)
 * @blocking no. */
ARX_API void Init_Sys_Data(int model);
/* Sets the install (mounting) angles of the arm base (degrees).
 * @param x install angle about x (deg)
 * @param y install angle about y (deg)
 * @param z install angle about z (deg)
 * @blocking no. */
ARX_API void setAngle(float x, float y, float z);
/* Selects end-link variant 0, 1 or 2 of the active model; other values are ignored.
 * @param type end-link variant: 0, 1 or 2
 * @blocking no. */
ARX_API void setLwt(int type);

/* The ArmModel code named "A", "B", "C1" or "C2" (exactly, upper case); -1 for
 * any other name or a null pointer. This and Arx_Arm_Model_Name are additions
 * of ours, beside the controller's own set, for a program that takes the model
 * on its command line: pure look-ups that need no Arx_API_Init and change
 * nothing.
 * @param name the model's name
 * @return the ArmModel code, or -1
 * @blocking no. */
ARX_API int Arx_Arm_Model_From_Name(const char* name);
/* The name of an ArmModel code ("A", "B", "C1", "C2"); null for any other code.
 * A static string: do not modify or free it.
 * @param model an ArmModel code
 * @return the name, static, or null
 * @blocking no. */
ARX_API const char* Arx_Arm_Model_Name(int model);

/* Tool pose in the base frame for 6 joint angles, 7 for ARM_MODEL_B (degrees;
 * Euler angles reported in [-3.13, 2 pi - 3.13) rad). Errors: the zero pose
 * when no model is loaded or `joint` is null.
 * @param joint one angle per joint (deg) of the loaded model
 * @return the tool pose (m, rad)
 * @blocking no. */
ARX_API Pose Forward_Kinematics(const float* joint);
/* Joint angles (degrees) reaching the tool pose `target`, chosen near
 * `current_joint`. flag 0 reads the target's quaternion, other values its Euler
 * angles; for ARM_MODEL_B flag 2 also reads the quaternion and lets the joints
 * move more than 0.26 rad from the current ones, and takes joint 4 >= 0 when
 * that reaches (flags 0 and 1 pick either sign, nearest). Returns 1 when solved:
 * `joint_out` holds the solution, whose forward kinematics reproduce the
 * target to within rounding. Errors: ARX_NOT_INITIALISED (2) when no arm
 * model is loaded; ARX_NULL_POINTER (19) when a pointer argument is null;
 * for ARM_MODEL_A, ARM_MODEL_C1 and ARM_MODEL_C2: -3..-8 when joint 1..6 is
 * beyond its limit (`joint_out` holds the rejected solution), -9 when there is
 * no solution (out of reach, or a singular tool frame); for ARM_MODEL_B:
 * -5..-11 when joint 1..7 is beyond its limit (`joint_out` holds the rejected
 * solution), -3 when no solution lies within 0.26 rad of the current joints or
 * the tool frame is singular, -1 when the wrist point is out of reach
 * (`joint_out` untouched on -1 and -3).
 * @param current_joint the present joint angles (deg), one per joint
 * @param target the tool pose to reach (m; quaternion or Euler angles, rad)
 * @param joint_out receives the solution (deg), one per joint
 * @param flag 0: the target's quaternion; other values: its Euler angles (ARM_MODEL_B: see above)
 * @return 1 when solved, else the error code above (Arx_IK_Result_Text reads it)
 * @blocking no. */
ARX_API int inverse_kinematics(const float* current_joint, const Pose* target,
                               float* joint_out, unsigned char flag);

/* Conversions between poses, homogeneous matrices (position in metres), Euler
 * angles (radians) and unit quaternions.
 * @param pose a pose (position m; its Euler angles are read)
 * @param matrix a homogeneous transform (position m)
 * @param angles Euler angles (rad)
 * @param quaternion a unit quaternion, scalar first
 * @return the converted value
 * @blocking no. */
ARX_API Matrix pos2matrix(Pose pose);
ARX_API Pose matrix2pos(Matrix matrix);
ARX_API Matrix euler2matrix(eul angles);
ARX_API ort euler2quaternion(eul angles);
ARX_API eul quaternion2euler(ort quaternion);

/* Frame transforms (base to work frame and back, flange to tool and back) and
 * Cartesian helpers (a step along the tool axes, a turn about a chosen axis)
 * for joint angles in degrees, positions in metres. Errors: the zero pose
 * (position 0, Euler angles 0, quaternion (1, 0, 0, 0)) when a matrix to invert
 * is singular: the work matrix of Base_To_WorkFrame, and through it of end2tool
 * and Cartesian_Tool.
 * @param work the work frame as a homogeneous transform (m)
 * @param pose a pose (m, rad)
 * @param end the flange pose (m, rad)
 * @param tool_frame the tool frame's pose on the flange
 * @param work_frame the work frame's pose in the base frame
 * @param tool_pose the tool pose (m, rad)
 * @param joint one angle per joint (deg)
 * @param dx step along the tool's x axis (m)
 * @param dy step along the tool's y axis (m)
 * @param dz step along the tool's z axis (m)
 * @param mode accepted and unused
 * @param axis 1, 2 or 3: the x, y or z axis of choose_axis
 * @param angle the turn (deg)
 * @param choose_axis the frame whose axis the tool turns about
 * @return the resulting pose (m, rad)
 * @blocking no. */
ARX_API Pose Base_To_WorkFrame(Matrix work, Pose pose);
ARX_API Pose WorkFrame_To_Base(Matrix work, Pose pose);
ARX_API Pose end2tool(Pose end, Pose tool_frame, Pose work_frame);
ARX_API Pose tool2end(Pose tool_pose, Pose tool_frame, Pose work_frame);
ARX_API Pose Cartesian_Tool(const float* joint, float dx, float dy, float dz, int mode);
ARX_API Pose RotateMove(const float* joint, int axis, float angle, Pose choose_axis);

/* ------------------------------------------------------------------ commands */
/* Every command returns an ARX_* result code, ARX_SUCCESS (0) on success.
 * block: true waits up to 3000 ms for the reply and decodes it, false queues
 * the line and returns ARX_SUCCESS. Queued lines leave one per 10 ms (100 a
 * second) from a queue of 599 lines shared by all connections; a line queued
 * while its connection downloads a trajectory file waits for the download to
 * end. Errors common to every command below: ARX_FILE_TRANSFER_BUSY when a
 * trajectory upload runs on the connection (also when it starts between the
 * command's checks and its send: nothing lands inside the file); ARX_NULL_POINTER when a
 * pointer argument is null; ARX_TYPE_ERROR when an argument cannot be sent (a
 * float that is not finite or out of range, a line over 299 bytes); when
 * queued, ARX_PENDING_TABLE_FULL when the send queue is full (nothing queued)
 * and ARX_SEND_FAILED when the handle is not an open connection or the
 * controller has ended it; and, when
 * blocking, ARX_SEND_FAILED when the send fails or the connection is closed
 * during the wait, ARX_PENDING_TABLE_FULL when too
 * many blocking calls wait, ARX_REPLY_TIMEOUT when no reply comes in time,
 * ARX_REPLY_NOT_JSON when the reply is not JSON or lacks a member, and
 * ARX_CONTROLLER_FALSE when the controller answers false. A function that
 * checks the handle and the initialisation says so: ARX_CONNECT_FAILED when the
 * handle is 0, ARX_NOT_INITIALISED before Arx_API_Init. */

/* ---------------------------------------------------- joint configuration */
/* Joint numbers are the controller's; per-joint arrays hold one value per joint
 * of the connection (7 for ARM_MODEL_B, else 6). The per-joint queries from
 * Get_Joint_Acc on write one value per joint only when the reply holds exactly
 * that many. */

/* Sets the maximum speed of one joint (deg/s). Errors: ARX_CONNECT_FAILED when
 * the handle is 0; ARX_NOT_INITIALISED before Arx_API_Init; ARX_STATE_TYPE_ERROR
 * when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint joint number
 * @param speed deg/s
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking no pause; with block true, up to 3000 ms for the reply. */
ARX_API int Set_Joint_Speed(SOCKHANDLE handle, unsigned char joint, float speed, bool block);
/* Reads the maximum speed of every joint (deg/s). Errors: ARX_ARRAY_ERROR when
 * the reply is not an array of one value per joint.
 * @param handle connection (from Arm_Socket_Start)
 * @param speed receives one speed per joint (deg/s)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_Speed(SOCKHANDLE handle, float* speed);
/* Reads the current angle of every joint (deg); at most the joint count is
 * written. Errors: ARX_TYPE_ERROR when the reply holds no array.
 * @param handle connection (from Arm_Socket_Start)
 * @param degree receives one angle per joint (deg)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_Degree(SOCKHANDLE handle, float* degree);

/* Sets the maximum acceleration of one joint (deg/s^2). Errors:
 * ARX_CONNECT_FAILED when the handle is 0; ARX_NOT_INITIALISED before
 * Arx_API_Init; ARX_STATE_TYPE_ERROR when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint joint number
 * @param acc deg/s^2
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking no pause; with block true, up to 3000 ms for the reply. */
ARX_API int Set_Joint_Acc(SOCKHANDLE handle, unsigned char joint, float acc, bool block);
/* Sets the lower position limit of one joint (deg). Errors: ARX_STATE_TYPE_ERROR
 * when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint joint number
 * @param pos deg
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking no pause; with block true, up to 3000 ms for the reply. */
ARX_API int Set_Joint_Min_Pos(SOCKHANDLE handle, unsigned char joint, float pos, bool block);
/* Sets the upper position limit of one joint (deg). Errors: ARX_STATE_TYPE_ERROR
 * when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint joint number
 * @param pos deg
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking no pause; with block true, up to 3000 ms for the reply. */
ARX_API int Set_Joint_Max_Pos(SOCKHANDLE handle, unsigned char joint, float pos, bool block);
/* Enables (true) or disables one joint. Errors: ARX_STATE_TYPE_ERROR when the
 * reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint joint number
 * @param state true: enable
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking no pause; with block true, up to 3000 ms for the reply. */
ARX_API int Set_Joint_EN_State(SOCKHANDLE handle, unsigned char joint, bool state, bool block);
/* Takes the joint's current position as its zero. Errors: ARX_CONNECT_FAILED
 * when the handle is 0; ARX_NOT_INITIALISED before Arx_API_Init;
 * ARX_STATE_TYPE_ERROR when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint joint number
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Joint_Zero_Pos(SOCKHANDLE handle, unsigned char joint, bool block);
/* Clears the joint's error. Errors: ARX_STATE_TYPE_ERROR when the reply state
 * is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint joint number
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Joint_Err_Clear(SOCKHANDLE handle, unsigned char joint, bool block);
/* Sets the zero offsets of every joint (deg), one per joint. Errors:
 * ARX_TYPE_ERROR also when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param offset one offset per joint (deg)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Joint_Zero_Offset(SOCKHANDLE handle, const float* offset, bool block);
/* Starts / stops the joint calibration. Errors: ARX_STATE_TYPE_ERROR when the
 * reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Start_Calibrate(SOCKHANDLE handle, bool block);
ARX_API int Stop_Calibrate(SOCKHANDLE handle, bool block);

/* Reads the maximum acceleration of every joint (deg/s^2). Errors:
 * ARX_ARRAY_ERROR when the reply is not an array or has the wrong length.
 * @param handle connection (from Arm_Socket_Start)
 * @param acc receives one acceleration per joint (deg/s^2)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_Acc(SOCKHANDLE handle, float* acc);
/* Reads the lower position limits (deg). Errors: ARX_ARRAY_ERROR when the reply
 * is not an array or has the wrong length.
 * @param handle connection (from Arm_Socket_Start)
 * @param pos receives one limit per joint (deg)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_Min_Pos(SOCKHANDLE handle, float* pos);
/* Reads the upper position limits (deg). Errors: ARX_ARRAY_ERROR when the reply
 * is not an array; ARX_TYPE_ERROR when it has the wrong length.
 * @param handle connection (from Arm_Socket_Start)
 * @param pos receives one limit per joint (deg)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_Max_Pos(SOCKHANDLE handle, float* pos);
/* Reads the enable states (low 8 bits). Errors: ARX_ARRAY_ERROR when the reply
 * is not an array; ARX_TYPE_ERROR when it has the wrong length.
 * @param handle connection (from Arm_Socket_Start)
 * @param state receives one state per joint
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_EN_State(SOCKHANDLE handle, unsigned char* state);
/* Reads the error flags (low 16 bits). Errors: ARX_ARRAY_ERROR when the reply
 * is not an array; ARX_TYPE_ERROR when it has the wrong length.
 * @param handle connection (from Arm_Socket_Start)
 * @param flags receives one flag word per joint
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_Err_Flag(SOCKHANDLE handle, unsigned short* flags);
/* Reads the joints' firmware versions. Errors: ARX_ARRAY_ERROR when the reply
 * is not an array; ARX_TYPE_ERROR when it has the wrong length.
 * @param handle connection (from Arm_Socket_Start)
 * @param version receives one version per joint
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_Software_Version(SOCKHANDLE handle, float* version);
/* Reads the calibration state of every joint (0 to 255, the low 8 bits);
 * `second` and `third` must be given but are not written. Errors:
 * ARX_REPLY_NOT_JSON when the reply is not an array; ARX_ARRAY_ERROR when it
 * has the wrong length.
 * @param handle connection (from Arm_Socket_Start)
 * @param state receives one state per joint
 * @param second required, not written
 * @param third required, not written
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Calibrate_State(SOCKHANDLE handle, float* state, unsigned short* second, int* third);

/* ---------------------------------------- arm limits, installation and servo */
/* No function of this section checks the handle or the initialisation. */

/* Sets the Cartesian limits: line speed (m/s), line acceleration (m/s^2),
 * angular speed (rad/s), angular acceleration (rad/s^2). Errors:
 * ARX_STATE_TYPE_ERROR when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param speed line speed (m/s) or angular speed (rad/s)
 * @param acc line acceleration (m/s^2) or angular acceleration (rad/s^2)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Arm_Line_Speed(SOCKHANDLE handle, float speed, bool block);
ARX_API int Set_Arm_Line_Acc(SOCKHANDLE handle, float acc, bool block);
ARX_API int Set_Arm_Angular_Speed(SOCKHANDLE handle, float speed, bool block);
ARX_API int Set_Arm_Angular_Acc(SOCKHANDLE handle, float acc, bool block);
/* Reads the same limits back, in the same units. Errors: ARX_TYPE_ERROR when
 * the value is not a number.
 * @param handle connection (from Arm_Socket_Start)
 * @param speed receives the line speed (m/s) or angular speed (rad/s)
 * @param acc receives the line (m/s^2) or angular acceleration (rad/s^2)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Arm_Line_Speed(SOCKHANDLE handle, float* speed);
ARX_API int Get_Arm_Line_Acc(SOCKHANDLE handle, float* acc);
ARX_API int Get_Arm_Angular_Speed(SOCKHANDLE handle, float* speed);
ARX_API int Get_Arm_Angular_Acc(SOCKHANDLE handle, float* acc);

/* Initialises the end of the arm. Errors: ARX_TYPE_ERROR when the reply state
 * is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Arm_Tip_Init(SOCKHANDLE handle, bool block);
/* Sets the collision sensitivity stage. Errors: ARX_TYPE_ERROR when the reply
 * state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param stage the controller's stage number
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Collision_Stage(SOCKHANDLE handle, int stage, bool block);
/* Reads the collision sensitivity stage. Errors: ARX_TYPE_ERROR when it is not
 * a number.
 * @param handle connection (from Arm_Socket_Start)
 * @param stage receives the stage
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Collision_Stage(SOCKHANDLE handle, int* stage);

/* Sets the DH values (sent x10, truncated); the fourth is the end-link length,
 * which the kinematics take at once when queued, on success when blocking,
 * but only when it reads as an arm's end link in metres (above 0, at most 1):
 * any other value goes on the wire all the same, the kinematics keep their end
 * link and the log gets a warning. Errors: ARX_TYPE_ERROR when the reply state
 * is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param dh1 first DH value
 * @param dh2 second DH value
 * @param dh3 third DH value
 * @param end_link end-link length
 * @param dh5 fifth DH value
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_DH_Data(SOCKHANDLE handle, float dh1, float dh2, float dh3, float end_link, float dh5,
                        bool block);
/* Reads the DH values back (the reply's numbers / 10), written as the
 * controller sent them; on success the fourth becomes the kinematics' end-link
 * length only when it reads as metres an arm can have (above 0, at most 1). A
 * controller that counts in a finer unit (1440 for a 144 mm link, read as 144)
 * leaves the end link as it was, and the log gets a warning. Errors:
 * ARX_TYPE_ERROR when "data" is not an array of at least 5 numbers.
 * @param handle connection (from Arm_Socket_Start)
 * @param dh1 receives the first DH value
 * @param dh2 receives the second
 * @param dh3 receives the third
 * @param end_link receives the end-link length
 * @param dh5 receives the fifth
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_DH_Data(SOCKHANDLE handle, float* dh1, float* dh2, float* dh3, float* end_link, float* dh5);
/* Sets the dynamic parameters: 12, or 14 on an ARM_MODEL_B connection. Errors:
 * ARX_TYPE_ERROR when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param parm the 12 (ARM_MODEL_B: 14) parameters
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Arm_Dynamic_Parm(SOCKHANDLE handle, const float* parm, bool block);

/* Sets the initial (home) joint position (deg), one per joint. Errors:
 * ARX_TYPE_ERROR when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint one angle per joint (deg)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Arm_Init_Pose(SOCKHANDLE handle, const float* joint, bool block);
/* Reads the initial joint position (deg). Errors: ARX_TYPE_ERROR when the reply
 * is not an array of one value per joint.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint receives one angle per joint (deg)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Arm_Init_Pose(SOCKHANDLE handle, float* joint);
/* Sets the installation (mounting) angles (deg, sent as given); the kinematics
 * take them at once when queued, on success when blocking. Errors:
 * ARX_TYPE_ERROR when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param x angle about x (deg)
 * @param y angle about y (deg)
 * @param z angle about z (deg)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Install_Pose(SOCKHANDLE handle, float x, float y, float z, bool block);

/* Reads the installation (mounting) angles (deg); on success they become the
 * kinematics' install angles. Errors: ARX_TYPE_ERROR when "pose" is not an
 * array of at least 3 numbers.
 * @param handle connection (from Arm_Socket_Start)
 * @param x receives the angle about x (deg)
 * @param y receives the angle about y (deg)
 * @param z receives the angle about z (deg)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Install_Pose(SOCKHANDLE handle, float* x, float* y, float* z);

/* Switches the servo, the system servo state and the arm power (sent as 1 / 0).
 * Errors: ARX_TYPE_ERROR when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param state true: on
 * @param on true: power on
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Arm_Servo_State(SOCKHANDLE handle, bool state, bool block);
ARX_API int Set_System_State_Servo(SOCKHANDLE handle, bool state, bool block);
ARX_API int Set_Arm_Power(SOCKHANDLE handle, bool on, bool block);
/* Reads the arm power state. Errors: ARX_TYPE_ERROR when it is not a number.
 * @param handle connection (from Arm_Socket_Start)
 * @param state receives the state (the controller's number)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Arm_Power_State(SOCKHANDLE handle, int* state);

/* ------------------------------------------- tool frames, work frames, payload */
/* Frame names are at most 9 characters as stored (longer names are cut to 9,
 * with no terminator). Only Arm_Socket_Start loads the active frames into the
 * kinematics: changing a frame here does not update them. Setters: the reply
 * state must be true or false, else ARX_TYPE_ERROR. */

/* Name lists write at most this many FRAME_NAME entries: the caller's array must
 * hold ARX_FRAME_NAME_CAPACITY names. A count equal to the capacity may mean the
 * controller holds more names and the list was cut. */
#define ARX_FRAME_NAME_CAPACITY 10

/* Teaches the tool frame from point point_num (1..) of the automatic method.
 * @param handle connection (from Arm_Socket_Start)
 * @param point_num point number, 1..
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Auto_Set_Tool_Frame(SOCKHANDLE handle, unsigned char point_num, bool block);
/* Computes and saves the taught tool frame `name` with its payload (kg) at x, y, z (m).
 * @param handle connection (from Arm_Socket_Start)
 * @param name frame name
 * @param payload kg
 * @param x centre of mass x (m)
 * @param y centre of mass y (m)
 * @param z centre of mass z (m)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Generate_Auto_Tool_Frame(SOCKHANDLE handle, const char* name, float payload, float x, float y,
                                     float z, bool block);
/* Saves tool frame `name` with its pose, payload (kg, sent unscaled) and centre of mass (m).
 * @param handle connection (from Arm_Socket_Start)
 * @param name frame name
 * @param pose the frame's pose (m, rad)
 * @param payload kg
 * @param x centre of mass x (m)
 * @param y centre of mass y (m)
 * @param z centre of mass z (m)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Manual_Set_Tool_Frame(SOCKHANDLE handle, const char* name, POSE pose, float payload, float x,
                                  float y, float z, bool block);
/* Makes tool frame `name` active; a blocking call waits 300 ms more after the reply.
 * @param handle connection (from Arm_Socket_Start)
 * @param name frame name
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms for the reply, then 300 ms. */
ARX_API int Change_Tool_Frame(SOCKHANDLE handle, const char* name, bool block);
/* Deletes tool frame `name`.
 * @param handle connection (from Arm_Socket_Start)
 * @param name frame name
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Delete_Tool_Frame(SOCKHANDLE handle, const char* name, bool block);
/* Sets the active tool's payload (sent unchanged) and its centre of mass (m).
 * @param handle connection (from Arm_Socket_Start)
 * @param payload the payload (the controller's unit)
 * @param x centre of mass x (m)
 * @param y centre of mass y (m)
 * @param z centre of mass z (m)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Payload(SOCKHANDLE handle, int payload, float x, float y, float z, bool block);
/* Clears the active tool's payload.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_None_Payload(SOCKHANDLE handle, bool block);
/* Reads the active tool frame: name, pose, payload as its whole number, centre
 * of mass (m). Errors: ARX_TYPE_ERROR when a member has the wrong type or
 * "position" is not 3 values; ARX_POSE_ARRAY_ERROR when the pose is not 6 values.
 * @param handle connection (from Arm_Socket_Start)
 * @param frame receives the frame
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Current_Tool_Frame(SOCKHANDLE handle, FRAME* frame);
/* Reads tool frame `name` (its name field is not written; payload with its
 * fraction). Errors: ARX_TYPE_ERROR when a member has the wrong type or
 * "position" is not 3 values; ARX_POSE_ARRAY_ERROR when the pose is not 6 values.
 * @param handle connection (from Arm_Socket_Start)
 * @param name frame name
 * @param frame receives the frame
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Given_Tool_Frame(SOCKHANDLE handle, const char* name, FRAME* frame);
/* Lists the tool frame names up to the controller's "NULL" entry, at most
 * ARX_FRAME_NAME_CAPACITY (a count equal to it may mean the list was cut);
 * *count is written only when a name is copied. Errors: ARX_TYPE_ERROR when the
 * reply holds no list.
 * @param handle connection (from Arm_Socket_Start)
 * @param names receives the names (ARX_FRAME_NAME_CAPACITY entries)
 * @param count receives the number of names
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_All_Tool_Frame(SOCKHANDLE handle, FRAME_NAME* names, int* count);
/* Teaches work frame `name` from point point_num (1..) of the automatic method.
 * @param handle connection (from Arm_Socket_Start)
 * @param name frame name
 * @param point_num point number, 1..
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Auto_Set_Work_Frame(SOCKHANDLE handle, const char* name, unsigned char point_num, bool block);
/* Saves work frame `name` at `pose`.
 * @param handle connection (from Arm_Socket_Start)
 * @param name frame name
 * @param pose the frame's pose (m, rad)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Manual_Set_Work_Frame(SOCKHANDLE handle, const char* name, POSE pose, bool block);
/* Makes work frame `name` active; a blocking call waits 300 ms more after the reply.
 * @param handle connection (from Arm_Socket_Start)
 * @param name frame name
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms for the reply, then 300 ms. */
ARX_API int Change_Work_Frame(SOCKHANDLE handle, const char* name, bool block);
/* Deletes work frame `name`.
 * @param handle connection (from Arm_Socket_Start)
 * @param name frame name
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Delete_Work_Frame(SOCKHANDLE handle, const char* name, bool block);
/* Reads the active work frame's name and pose (payload and centre of mass are
 * not written). Errors: ARX_TYPE_ERROR when the name is not text or the pose
 * not an array; ARX_POSE_ARRAY_ERROR when the pose is not 6 values.
 * @param handle connection (from Arm_Socket_Start)
 * @param frame receives the name and pose
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Current_Work_Frame(SOCKHANDLE handle, FRAME* frame);
/* Reads the pose of work frame `name`. Errors: ARX_TYPE_ERROR when the pose is
 * not an array; ARX_POSE_ARRAY_ERROR when it is not 6 values.
 * @param handle connection (from Arm_Socket_Start)
 * @param name frame name
 * @param pose receives the pose (m, rad)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Given_Work_Frame(SOCKHANDLE handle, const char* name, POSE* pose);
/* Lists the work frame names, as Get_All_Tool_Frame (a count equal to
 * ARX_FRAME_NAME_CAPACITY may mean the list was cut). Errors: ARX_TYPE_ERROR
 * when the reply holds no list.
 * @param handle connection (from Arm_Socket_Start)
 * @param names receives the names (ARX_FRAME_NAME_CAPACITY entries)
 * @param count receives the number of names
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_All_Work_Frame(SOCKHANDLE handle, FRAME_NAME* names, int* count);

/* ------------------------------------------------ arm state and joint telemetry */
/* Always blocking. Per-joint arrays hold one value per joint of the connection
 * (7 for ARM_MODEL_B, else 6); a reply array of another length gives
 * ARX_TYPE_ERROR. */

/* Reads the joint angles (deg), end pose and error codes in one reply. Errors:
 * ARX_TYPE_ERROR when a member has the wrong type or joint count;
 * ARX_POSE_ARRAY_ERROR when the pose is not 6 values (nothing written).
 * @param handle connection (from Arm_Socket_Start)
 * @param joint receives one angle per joint (deg)
 * @param pose receives the end pose (m, rad)
 * @param arm_err receives the arm error code
 * @param sys_err receives the system error code
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Current_Arm_State(SOCKHANDLE handle, float* joint, POSE* pose, unsigned short* arm_err,
                                  unsigned short* sys_err);
/* Reads the joint temperatures. Errors: ARX_TYPE_ERROR when there is no array
 * or the joint count is wrong.
 * @param handle connection (from Arm_Socket_Start)
 * @param temperature receives one value per joint
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_Temperature(SOCKHANDLE handle, float* temperature);
/* Reads the joint currents. Errors: ARX_TYPE_ERROR when there is no array or
 * the joint count is wrong.
 * @param handle connection (from Arm_Socket_Start)
 * @param current receives one value per joint
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_Current(SOCKHANDLE handle, float* current);
/* Reads the joint voltages. Errors: ARX_TYPE_ERROR when there is no array or
 * the joint count is wrong.
 * @param handle connection (from Arm_Socket_Start)
 * @param voltage receives one value per joint
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_Voltage(SOCKHANDLE handle, float* voltage);
/* Reads voltage, current, enable and error flags of every joint and the system
 * error; the leading unused fields are not written. The raw reply goes to the
 * log as "all_state:<reply>" at ARX_LOG_DEBUG, also when it does not decode;
 * nothing is written to standard output. Errors: ARX_TYPE_ERROR when a member
 * has the wrong type or joint count.
 * @param handle connection (from Arm_Socket_Start)
 * @param state receives the telemetry
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Arm_All_State(SOCKHANDLE handle, JOINT_STATE* state);
/* Reads the number of the trajectory plan being executed. Errors:
 * ARX_TYPE_ERROR when it is not a number.
 * @param handle connection (from Arm_Socket_Start)
 * @param plan receives the plan number
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Arm_Plan_Num(SOCKHANDLE handle, int* plan);

/* ---------------------------- controller state, versions, runtime and network */
/* Queries are always blocking. The five network settings at the end are
 * send-only: ARX_SUCCESS once sent, ARX_SEND_FAILED if the send fails, no reply
 * awaited. Setters: the reply state must be true or false, else ARX_TYPE_ERROR. */

/* Reads the supply voltage (V), current (A) and temperature of the controller
 * and its error flags. Errors: ARX_TYPE_ERROR when a value is not a number.
 * @param handle connection (from Arm_Socket_Start)
 * @param voltage receives the voltage (V)
 * @param current receives the current (A)
 * @param temperature receives the temperature
 * @param err_flag receives the error flags
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Controller_State(SOCKHANDLE handle, float* voltage, float* current, float* temperature,
                                 unsigned short* err_flag);
/* Reads the software versions as decimal text; each buffer must hold 12
 * characters. Errors: ARX_TYPE_ERROR when a version is not a number.
 * @param handle connection (from Arm_Socket_Start)
 * @param plan receives the planning software's version
 * @param ctrl receives the controller software's version
 * @param kernel1 receives the first kernel's version
 * @param kernel2 receives the second kernel's version
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Arm_Software_Version(SOCKHANDLE handle, char* plan, char* ctrl, char* kernel1, char* kernel2);
/* Reads the tool-end software version. Errors: ARX_TYPE_ERROR when it is not a number.
 * @param handle connection (from Arm_Socket_Start)
 * @param version receives the version
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Tool_Software_Version(SOCKHANDLE handle, int* version);
/* Asks the controller to produce its log file.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Get_Log_File(SOCKHANDLE handle, bool block);
/* Reads the running time of the controller (days, hours, minutes, seconds); a
 * reply with a "sys_state" text succeeds and writes nothing (`state` is never
 * written). Errors: ARX_TYPE_ERROR when a member has the wrong type.
 * @param handle connection (from Arm_Socket_Start)
 * @param state required, never written
 * @param day receives the days
 * @param hour receives the hours
 * @param min receives the minutes
 * @param sec receives the seconds
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_System_Runtime(SOCKHANDLE handle, char* state, int* day, int* hour, int* min, int* sec);
/* Resets the running-time counter.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Clear_System_Runtime(SOCKHANDLE handle, bool block);
/* Reads the distance travelled by each joint, unscaled; at most the joint count
 * of the connection is written; a "sys_state" text as Get_System_Runtime.
 * Errors: ARX_TYPE_ERROR when a member has the wrong type.
 * @param handle connection (from Arm_Socket_Start)
 * @param state required, never written
 * @param odom receives one distance per joint
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Joint_Odom(SOCKHANDLE handle, char* state, float* odom);
/* Resets the joint odometry.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Clear_Joint_Odom(SOCKHANDLE handle, bool block);
/* Clears the system error.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Clear_System_Err(SOCKHANDLE handle, bool block);
/* Sets the high-speed Ethernet mode; a blocking call returns 1000 ms after the
 * reply or the time-out.
 * @param handle connection (from Arm_Socket_Start)
 * @param mode the controller's mode number
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms for the reply, then 1000 ms. */
ARX_API int Set_High_Speed_Eth(SOCKHANDLE handle, unsigned char mode, bool block);
/* Sets the Wi-Fi access point name and password (send-only).
 * @param handle connection (from Arm_Socket_Start)
 * @param wifi_name access point name
 * @param password its password
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause and the send; no reply awaited. */
ARX_API int Set_WiFi_AP_Data(SOCKHANDLE handle, const char* wifi_name, const char* password);
/* Sets the Wi-Fi client's router name and password (send-only).
 * @param handle connection (from Arm_Socket_Start)
 * @param router_name the router's name
 * @param password its password
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause and the send; no reply awaited. */
ARX_API int Set_WiFI_STA_Data(SOCKHANDLE handle, const char* router_name, const char* password);
/* Sets the USB baud rate (send-only).
 * @param handle connection (from Arm_Socket_Start)
 * @param baudrate baud
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause and the send; no reply awaited. */
ARX_API int Set_USB_Data(SOCKHANDLE handle, int baudrate);
/* Sets the RS485 baud rate (send-only).
 * @param handle connection (from Arm_Socket_Start)
 * @param baudrate baud
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause and the send; no reply awaited. */
ARX_API int Set_RS485(SOCKHANDLE handle, int baudrate);
/* Switches the controller to wired Ethernet (send-only).
 * @param handle connection (from Arm_Socket_Start)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause and the send; no reply awaited. */
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
 * report; a state query's code when seven of them failed.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint target one angle per joint (deg)
 * @param v speed value
 * @param r blend radius
 * @param block true: wait for the arrival report; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 23 s for the report, then 40 ms per state sample until the
 * arm stands still or the report comes. */
ARX_API int Movej_Cmd(SOCKHANDLE handle, const float* joint, unsigned char v, float r, bool block);
/* Moves in a straight line to a pose. Errors: ARX_MOVE_NOT_COMPLETED when,
 * after the 5 s grace period, the arm stood still at five samples without a
 * report; a state query's code when nineteen of them failed.
 * @param handle connection (from Arm_Socket_Start)
 * @param pose target pose (m, rad)
 * @param v speed value
 * @param r blend radius
 * @param block true: wait for the arrival report; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 5 s for the report, then 40 ms per state sample until the
 * arm stands still or the report comes. */
ARX_API int Movel_Cmd(SOCKHANDLE handle, POSE pose, unsigned char v, float r, bool block);
/* Moves on a circle through pose_via to pose_to, `loop` times round. Waits for
 * as long as the arm answers its state queries. Errors: a state query's code
 * when seven of them failed after the 23 s grace period.
 * @param handle connection (from Arm_Socket_Start)
 * @param pose_via pose the circle passes (m, rad)
 * @param pose_to pose the circle ends at (m, rad)
 * @param v speed value
 * @param r blend radius
 * @param loop number of times round
 * @param block true: wait for the arrival report; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 23 s for the report, then 40 ms per state sample for as long
 * as the arm answers them and the report has not come. */
ARX_API int Movec_Cmd(SOCKHANDLE handle, POSE pose_via, POSE pose_to, unsigned char v, float r,
                      unsigned char loop, bool block);
/* Moves in joint space to a pose. Errors: ARX_REPLY_TIMEOUT when no report
 * came within 23 s.
 * @param handle connection (from Arm_Socket_Start)
 * @param pose target pose (m, rad)
 * @param v speed value
 * @param r blend radius
 * @param block true: wait for the arrival report; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 23 s for the report. */
ARX_API int Movej_P_Cmd(SOCKHANDLE handle, POSE pose, unsigned char v, float r, bool block);

/* Streaming set-points for control loops: one joint set-point (deg) or pose,
 * sent at once from the calling thread; no reply, no pause, nothing queued.
 * Errors: ARX_SEND_FAILED when the send fails (the connection is closed, reset
 * or ended by the controller); ARX_NULL_POINTER when joint is null.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint set-point, one angle per joint (deg)
 * @param pose set-point pose (m, rad)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking no pause: only the send (at most the connection's send limit). */
ARX_API int Movej_CANFD(SOCKHANDLE handle, const float* joint);
ARX_API int Movep_CANFD(SOCKHANDLE handle, POSE pose);

/* Reads the arm state, then moves in a straight line (as Movel_Cmd) by dx, dy,
 * dz (m) along the tool's own axes from the pose of `joint` (deg); mode is
 * accepted and unused. Errors: ARX_NULL_POINTER when joint is null; the state
 * query's code when it fails (nothing moved).
 * @param handle connection (from Arm_Socket_Start)
 * @param joint the joint angles (deg) the step starts from
 * @param dx step along the tool's x axis (m)
 * @param dy along its y axis (m)
 * @param dz along its z axis (m)
 * @param mode accepted and unused
 * @param v speed value
 * @param r blend radius
 * @param block as Movel_Cmd
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, the state query (20 ms and up to 3000 ms), then as Movel_Cmd. */
ARX_API int MoveCartesianTool_Cmd(SOCKHANDLE handle, float* joint, float dx, float dy, float dz, int mode,
                                  unsigned char v, float r, bool block);
/* Reads the arm's joints, then turns the tool's orientation by `angle` (deg)
 * about axis 1, 2 or 3 (x, y, z) of the frame choose_axis, keeping its
 * position, with a straight-line move (as Movel_Cmd). Errors: the state
 * query's code when it fails (nothing moved).
 * @param handle connection (from Arm_Socket_Start)
 * @param axis 1, 2 or 3: x, y or z of choose_axis
 * @param angle the turn (deg)
 * @param choose_axis the frame whose axis the tool turns about
 * @param v speed value
 * @param r blend radius
 * @param block as Movel_Cmd
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, the state query (20 ms and up to 3000 ms), then as Movel_Cmd. */
ARX_API int MoveRotate_Cmd(SOCKHANDLE handle, int axis, float angle, Pose choose_axis, unsigned char v,
                           float r, bool block);

/* Stop, pause and continue the motion; delete the current or every queued
 * trajectory. Errors: ARX_TYPE_ERROR when the reply state is not true/false.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
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
 * needs (nothing written).
 * @param handle connection (from Arm_Socket_Start)
 * @param type receives the trajectory type
 * @param data receives the set-point (joint angles or pose values)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Current_Trajectory(SOCKHANDLE handle, ARM_CTRL_MODES* type, float* data);

/* --------------------------------------------------------- waypoints, timer */
/* block: true waits for the reply, false queues the line and returns
 * ARX_SUCCESS. Errors: ARX_TYPE_ERROR when the reply state is not true/false,
 * except where stated. */

/* Adds a waypoint of joint angles (deg, one per joint). Only a state of false
 * refuses it (ARX_CONTROLLER_FALSE). Errors: ARX_NULL_POINTER when joint is null.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint one angle per joint (deg)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Add_Waypoint(SOCKHANDLE handle, const float* joint, bool block);
/* Replays the waypoints at `frequency` (the controller's unit).
 * @param handle connection (from Arm_Socket_Start)
 * @param frequency the replay frequency
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Start_Waypoint(SOCKHANDLE handle, int frequency, bool block);
/* Stops the replay / clears the waypoints.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Stop_Waypoint(SOCKHANDLE handle, bool block);
ARX_API int Clear_Waypoint(SOCKHANDLE handle, bool block);
/* Asks the controller to wait `wait_time` (the controller's unit).
 * @param handle connection (from Arm_Socket_Start)
 * @param wait_time the wait
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Timer(SOCKHANDLE handle, int wait_time, bool block);

/* ------------------------------------------------------ teaching and stepping */
/* direction: non-zero positive, zero negative. Axes other than 0, 1 and 2
 * name no axis (the controller's default). block: true waits for the reply,
 * false queues the line and returns ARX_SUCCESS. Errors: ARX_TYPE_ERROR when
 * the reply state is not true/false, except where stated. */

/* Teaching: the joint, or the tool along / about an axis, moves until
 * Teach_Stop_Cmd.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint joint number
 * @param axis the axis
 * @param direction non-zero: positive; zero: negative
 * @param v speed value
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
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
 * longer.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint joint number
 * @param axis the axis
 * @param step the step (deg, m or rad)
 * @param v speed value
 * @param block true: wait for the arrival report; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms for the arrival report. */
ARX_API int Joint_Step_Cmd(SOCKHANDLE handle, unsigned char joint, float step, unsigned char v, bool block);
ARX_API int Pos_Step_Cmd(SOCKHANDLE handle, POS_TEACH_MODES axis, float step, unsigned char v, bool block);
ARX_API int Ort_Step_Cmd(SOCKHANDLE handle, ORT_TEACH_MODES axis, float step, unsigned char v, bool block);
/* The frame position and orientation teaching move in (the controller's
 * numbering); block 1 waits, other values queue. Only a state of false
 * refuses (ARX_CONTROLLER_FALSE). Errors: ARX_STATE_TYPE_ERROR when the reply
 * has no state.
 * @param handle connection (from Arm_Socket_Start)
 * @param frame_type the controller's frame number
 * @param block 1: wait for the reply; other values: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block 1, up to 3000 ms more for the reply. */
ARX_API int Set_Teach_Frame(SOCKHANDLE handle, int frame_type, int block);

/* ------------------------------------------- drag teaching, trajectory files */
/* block: true waits for the reply, false queues the line and returns
 * ARX_SUCCESS. Errors: ARX_TYPE_ERROR when the reply state is not true/false. */

/* Starts (recording the trajectory) / stops drag teaching; starts it in one of
 * the controller's modes.
 * @param handle connection (from Arm_Socket_Start)
 * @param mode the controller's drag-teaching mode
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Start_Drag_Teach(SOCKHANDLE handle, bool block);
ARX_API int Stop_Drag_Teach(SOCKHANDLE handle, bool block);
ARX_API int Start_Multi_Drag_Teach(SOCKHANDLE handle, int mode, bool block);
/* Replays, pauses, continues and stops the recorded trajectory.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Run_Drag_Trajectory(SOCKHANDLE handle, bool block);
ARX_API int Pause_Drag_Trajectory(SOCKHANDLE handle, bool block);
ARX_API int Continue_Drag_Trajectory(SOCKHANDLE handle, bool block);
ARX_API int Stop_Drag_Trajectory(SOCKHANDLE handle, bool block);
/* Moves to the recorded trajectory's origin; blocking calls wait 3000 ms for
 * the arrival report. Errors: ARX_REPLY_TIMEOUT when the move took longer.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the arrival report; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms for the arrival report. */
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
 * ARX_FILE_UNREADABLE when the file cannot be opened or is empty.
 * @param handle connection (from Arm_Socket_Start)
 * @param path the file's path
 * @param path_length bytes of path
 * @param plan_speed the controller's speed for the project
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, up to 3000 ms for the announcement's answer, the content's sends, then up to
 * 3007 ms for the verdict. */
ARX_API int Send_TrajectoryFile(SOCKHANDLE handle, const char* path, int path_length, int plan_speed);
/* ------------------------------------------------------ grippers and hands */
/* Values are the controller's, sent unchanged. No function of this section
 * checks the handle or the initialisation. block: true waits, false queues the
 * line and returns 0. Errors common to the section: ARX_CONTROLLER_FALSE when
 * the controller answers false; ARX_TYPE_ERROR when the answer is not
 * true/false. */

/* Opening range of the gripper, min to max.
 * @param handle connection (from Arm_Socket_Start)
 * @param min smallest opening
 * @param max largest opening
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Gripper_Route(SOCKHANDLE handle, int min, int max, bool block);
/* Gripper motions: release at a speed; pick with a force limit; pick and keep
 * gripping; go to a position. A blocking call waits for the controller's
 * arrival report, not for an acknowledgement, within the plain reply timeout.
 * Errors: ARX_REPLY_TIMEOUT when the motion outlasts the timeout.
 * @param handle connection (from Arm_Socket_Start)
 * @param speed the speed
 * @param force the force limit
 * @param position the position
 * @param block true: wait for the arrival report; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms for the arrival report. */
ARX_API int Set_Gripper_Release(SOCKHANDLE handle, int speed, bool block);
ARX_API int Set_Gripper_Pick(SOCKHANDLE handle, int speed, int force, bool block);
ARX_API int Set_Gripper_Pick_On(SOCKHANDLE handle, int speed, int force, bool block);
ARX_API int Set_Gripper_Position(SOCKHANDLE handle, int position, bool block);
/* Dexterous hand: stored posture, stored action sequence, speed and force.
 * @param handle connection (from Arm_Socket_Start)
 * @param posture_num stored posture number
 * @param seq_num stored sequence number
 * @param speed the speed
 * @param force the force
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Hand_Posture(SOCKHANDLE handle, int posture_num, bool block);
ARX_API int Set_Hand_Seq(SOCKHANDLE handle, int seq_num, bool block);
ARX_API int Set_Hand_Speed(SOCKHANDLE handle, int speed, bool block);
ARX_API int Set_Hand_Force(SOCKHANDLE handle, int force, bool block);
/* Angles of the hand's six fingers; exactly angle[0..5] are sent.
 * Errors: ARX_NULL_POINTER when angle is null.
 * @param handle connection (from Arm_Socket_Start)
 * @param angle the six finger angles
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Hand_Angle(SOCKHANDLE handle, const int* angle, bool block);

/* ---------------------------------------------------- controller and tool IO */
/* IO numbers are the controller's channel numbers. Analog values are volts.
 * Errors common to the section: ARX_CONTROLLER_FALSE when the controller
 * answers false; ARX_TYPE_ERROR when a member has the wrong type. */

/* Channel arrays of a reply fill at most this many elements of each output;
 * further elements are ignored. Each output must hold ARX_IO_CHANNEL_CAPACITY. */
#define ARX_IO_CHANNEL_CAPACITY 16

/* One controller output: type 0 digital (state on or off), type 1 analog
 * (state true is 1 V, false 0 V). Errors: ARX_TYPE_ERROR when type is neither
 * 0 nor 1 (nothing sent).
 * @param handle connection (from Arm_Socket_Start)
 * @param type 0 digital, 1 analog
 * @param io_num channel number
 * @param state the output state
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_IO_State(SOCKHANDLE handle, int type, unsigned char io_num, bool state, bool block);
/* One controller channel: type 0 digital output, 1 digital input, 2 analog
 * output, 3 analog input; an analog value is written in whole volts, truncated.
 * Errors: ARX_TYPE_ERROR when type is not 0 to 3 (nothing sent).
 * @param handle connection (from Arm_Socket_Start)
 * @param type 0 to 3 (above)
 * @param io_num channel number
 * @param state receives the state or whole volts
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_IO_State(SOCKHANDLE handle, int type, unsigned char io_num, unsigned char* state);
/* All controller inputs: digital states and analog voltages (V). If the
 * analog array is missing or wrong, the digital states stay written.
 * @param handle connection (from Arm_Socket_Start)
 * @param di receives the digital inputs (ARX_IO_CHANNEL_CAPACITY)
 * @param ai receives the analog inputs, V (ARX_IO_CHANNEL_CAPACITY)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_IO_Input(SOCKHANDLE handle, unsigned char* di, float* ai);
/* All controller outputs: digital states and analog voltages (V), as Get_IO_Input.
 * @param handle connection (from Arm_Socket_Start)
 * @param dout receives the digital outputs (ARX_IO_CHANNEL_CAPACITY)
 * @param aout receives the analog outputs, V (ARX_IO_CHANNEL_CAPACITY)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_IO_Output(SOCKHANDLE handle, unsigned char* dout, float* aout);
/* One digital output of the tool.
 * @param handle connection (from Arm_Socket_Start)
 * @param io_num channel number
 * @param state the output state
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Tool_DO_State(SOCKHANDLE handle, unsigned char io_num, bool state, bool block);
/* Mode of one tool channel: true output, false input.
 * @param handle connection (from Arm_Socket_Start)
 * @param io_num channel number
 * @param mode true: output
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Tool_IO_Mode(SOCKHANDLE handle, unsigned char io_num, bool mode, bool block);
/* Modes and states of the tool channels, unscaled; if the states are missing
 * or wrong, the modes stay written.
 * @param handle connection (from Arm_Socket_Start)
 * @param modes receives the modes (ARX_IO_CHANNEL_CAPACITY)
 * @param states receives the states (ARX_IO_CHANNEL_CAPACITY)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Tool_IO_State(SOCKHANDLE handle, float* modes, float* states);
/* Supply voltage type of the tool (the controller's code).
 * @param handle connection (from Arm_Socket_Start)
 * @param voltage_type the code (setter) / receives it (getter)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; the getter, and the setter with block true, up to 3000 ms for the reply. */
ARX_API int Set_Tool_Voltage(SOCKHANDLE handle, unsigned char voltage_type, bool block);
ARX_API int Get_Tool_Voltage(SOCKHANDLE handle, unsigned char* voltage_type);

/* ------------------------------------------ force sensing and force-position */
/* Joint arrays in degrees hold six values, seven on ARM_MODEL_B connections
 * unless stated. Sensor, mode and direction are the controller's codes.
 * Errors common to the section: ARX_CONTROLLER_FALSE when the controller
 * answers false; ARX_TYPE_ERROR when the answer is not true/false, or a value
 * is not finite or out of range (nothing sent). */

/* Values of the six-axis sensor fill at most this many elements; further
 * elements are ignored. The output must hold ARX_FORCE_DATA_CAPACITY. */
#define ARX_FORCE_DATA_CAPACITY 6

/* Current sensor values, the controller's thousandths divided by 1000.
 * @param handle connection (from Arm_Socket_Start)
 * @param force receives the values (ARX_FORCE_DATA_CAPACITY)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Force_Data(SOCKHANDLE handle, float* force);
/* Zeroes the six-axis sensor.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Clear_Force_Data(SOCKHANDLE handle, bool block);
/* Automatic calibration of the six-axis sensor; waits up to 33 s for the result.
 * @param handle connection (from Arm_Socket_Start)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 33 s for the result. */
ARX_API int Set_Force_Sensor(SOCKHANDLE handle);
/* Manual calibration, one of four poses (joint: six values on every model);
 * waits up to 33 s. Errors: ARX_TYPE_ERROR when pose_num is not 1 to 4 (nothing sent).
 * @param handle connection (from Arm_Socket_Start)
 * @param pose_num pose number, 1 to 4
 * @param joint six angles (deg)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 33 s for the result. */
ARX_API int Manual_Set_Force(SOCKHANDLE handle, int pose_num, const float* joint);
/* Stops a running sensor calibration.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Stop_Set_Force_Sensor(SOCKHANDLE handle, bool block);
/* Switches force-position control on: the arm holds force N (sent in tenths)
 * along direction. block 1 waits up to 13 s; any other value queues.
 * @param handle connection (from Arm_Socket_Start)
 * @param sensor the sensor code
 * @param mode the mode code
 * @param direction the direction code
 * @param N the force to hold (sent x10)
 * @param block 1: wait for the reply; other values: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block 1, up to 13 s for the reply. */
ARX_API int Set_Force_Postion(SOCKHANDLE handle, int sensor, int mode, int direction, int N, int block);
/* Switches force-position control off.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Stop_Force_Postion(SOCKHANDLE handle, bool block);
/* Starts / stops streaming force-position set-points.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Start_Force_Position_Move(SOCKHANDLE handle, bool block);
ARX_API int Stop_Force_Postion_Move(SOCKHANDLE handle, bool block);
/* One force-position set-point to joint angles or to a pose, holding force
 * (sent in tenths). Nothing is awaited: the controller's next force-position
 * state report on this connection reaches the application callback once
 * (code 3), or is discarded when no callback is registered; until then the
 * set-point holds a place in the table of awaited replies (the report, or
 * Arm_Socket_Close, gives it back). Errors: ARX_PENDING_TABLE_FULL when 2000
 * replies or reports are already awaited, or 1000 set-points of this
 * connection (nothing sent); ARX_NULL_POINTER when joint is null.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint set-point, one angle per joint (deg)
 * @param pose set-point pose (m, rad)
 * @param sensor the sensor code
 * @param mode the mode code
 * @param dir the direction code
 * @param force the force to hold (sent x10)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking no pause: only the send (at most the connection's send limit). */
ARX_API int Force_Position_Move_Joint(SOCKHANDLE handle, const float* joint, unsigned char sensor,
                                      unsigned char mode, int dir, float force);
ARX_API int Force_Position_Move_POSE(SOCKHANDLE handle, POSE pose, unsigned char sensor, unsigned char mode,
                                     int dir, float force);
/* Value of the one-axis sensor, unscaled. Errors: ARX_REPLY_NOT_JSON when the
 * controller refuses; ARX_STATE_TYPE_ERROR when the value is missing;
 * ARX_TYPE_ERROR when it is not a number.
 * @param handle connection (from Arm_Socket_Start)
 * @param fz receives the value
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Fz(SOCKHANDLE handle, float* fz);
/* Zeroes the one-axis sensor.
 * @param handle connection (from Arm_Socket_Start)
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Clear_Fz(SOCKHANDLE handle, bool block);
/* Automatic calibration of the one-axis sensor; waits up to 33 s.
 * @param handle connection (from Arm_Socket_Start)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 33 s for the result. */
ARX_API int Auto_Set_Fz(SOCKHANDLE handle);
/* Manual calibration of the one-axis sensor from two joint poses.
 * @param handle connection (from Arm_Socket_Start)
 * @param joint1 first pose's joint angles (deg)
 * @param joint2 second pose's joint angles (deg)
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Manual_Set_Fz(SOCKHANDLE handle, const float* joint1, const float* joint2);

/* ------------------------------------------------------------------ Modbus */
/* The controller is the Modbus master on its port; port, address, device,
 * baud rate and timeout are the controller's, sent unchanged. Errors common to
 * the section: ARX_CONTROLLER_FALSE when the controller answers false or
 * refuses a read (output unchanged); ARX_TYPE_ERROR when a member has the
 * wrong type. */

/* Switches a port into Modbus mode; a blocking call waits up to 5 s for the
 * answer, then 2 s more for the port to settle.
 * @param handle connection (from Arm_Socket_Start)
 * @param port the controller's port
 * @param baudrate baud
 * @param timeout the controller's Modbus timeout
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 5 s for the reply, then 2 s. */
ARX_API int Set_Modbus_Mode(SOCKHANDLE handle, int port, int baudrate, int timeout, bool block);
/* Switches a port back out of Modbus mode.
 * @param handle connection (from Arm_Socket_Start)
 * @param port the controller's port
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Close_Modbus_Mode(SOCKHANDLE handle, int port, bool block);
/* Reads num coils / discrete inputs, or one holding / input register, into
 * data (the controller's value as one integer).
 * @param handle connection (from Arm_Socket_Start)
 * @param port the controller's port
 * @param address first address
 * @param num number of coils or inputs
 * @param device device address
 * @param data receives the value
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Read_Coils(SOCKHANDLE handle, int port, int address, int num, int device, int* data);
ARX_API int Get_Read_Input_Status(SOCKHANDLE handle, int port, int address, int num, int device, int* data);
ARX_API int Get_Read_Holding_Registers(SOCKHANDLE handle, int port, int address, int device, int* data);
ARX_API int Get_Read_Input_Registers(SOCKHANDLE handle, int port, int address, int device, int* data);
/* Writes one coil or one register.
 * @param handle connection (from Arm_Socket_Start)
 * @param port the controller's port
 * @param address the address
 * @param data the value
 * @param device device address
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Write_Single_Coil(SOCKHANDLE handle, int port, int address, int data, int device, bool block);
ARX_API int Write_Single_Register(SOCKHANDLE handle, int port, int address, int data, int device, bool block);
/* Writes num coils (eight per byte, ceil(num / 8) bytes) or num registers (two
 * bytes each) from data. Errors: ARX_TYPE_ERROR when num is negative or the
 * bytes would not fit one request line (about 55 coil bytes or 27 registers;
 * nothing sent).
 * @param handle connection (from Arm_Socket_Start)
 * @param port the controller's port
 * @param address first address
 * @param num number of coils or registers
 * @param data the bytes
 * @param device device address
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Write_Coils(SOCKHANDLE handle, int port, int address, int num, const unsigned char* data, int device,
                        bool block);
ARX_API int Write_Registers(SOCKHANDLE handle, int port, int address, int num, const unsigned char* data,
                            int device, bool block);

/* --------------------------------------------------------- lift and mobile base */
/* Values are the controller's, sent unchanged. Errors common to the section:
 * ARX_CONTROLLER_FALSE when the controller answers false; ARX_TYPE_ERROR when
 * a member has the wrong type. */

/* Lift speed; always queued.
 * @param handle connection (from Arm_Socket_Start)
 * @param speed the speed
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; queued, no reply awaited. */
ARX_API int Set_Lift_Speed(SOCKHANDLE handle, int speed);
/* Moves the lift to a height; a blocking call waits for the arrival report,
 * up to 123 s.
 * @param handle connection (from Arm_Socket_Start)
 * @param height the height
 * @param speed the speed
 * @param block true: wait for the arrival report; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 123 s for the arrival report. */
ARX_API int Set_Lift_Height(SOCKHANDLE handle, int height, int speed, bool block);
/* Lift height, current and error flag; reading stops at the first bad member,
 * the outputs before it stay written.
 * @param handle connection (from Arm_Socket_Start)
 * @param height receives the height
 * @param current receives the current
 * @param err_flag receives the error flag
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Lift_State(SOCKHANDLE handle, int* height, int* current, int* err_flag);
/* Base speed commands: speed and angular speed, or linear and angular speed.
 * @param handle connection (from Arm_Socket_Start)
 * @param speed the speed
 * @param angular the angular speed
 * @param linear_speed the linear speed
 * @param angular_speed the angular speed
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Vehicle(SOCKHANDLE handle, int speed, int angular, bool block);
ARX_API int Set_Car_Move(SOCKHANDLE handle, int linear_speed, int angular_speed, bool block);
/* Navigation: mode, speed, drive to a station, current station number, charging.
 * @param handle connection (from Arm_Socket_Start)
 * @param mode the mode
 * @param speed the speed
 * @param station the station
 * @param station_num the station number
 * @param charge_state the charging state
 * @param block true: wait for the reply; false: queue the line
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause; with block true, up to 3000 ms more for the reply. */
ARX_API int Set_Car_Navigation_Mode(SOCKHANDLE handle, int mode, bool block);
ARX_API int Set_Car_Navigation_Speed(SOCKHANDLE handle, int speed, bool block);
ARX_API int Set_Car_Station(SOCKHANDLE handle, int station, int speed, bool block);
ARX_API int Set_Car_Station_Num(SOCKHANDLE handle, int station_num, bool block);
ARX_API int Set_Car_Charge(SOCKHANDLE handle, int charge_state, bool block);
/* Battery volume, voltage, current, error code, state and current station;
 * reading stops at the first bad member, the outputs before it stay written.
 * @param handle connection (from Arm_Socket_Start)
 * @param battery_volume receives the battery volume
 * @param voltage receives the voltage
 * @param current receives the current
 * @param car_err receives the error code
 * @param car_state receives the state
 * @param station_num receives the current station
 * @return ARX_SUCCESS, or the failure's result code
 * @blocking 20 ms pause, then up to 3000 ms for the reply. */
ARX_API int Get_Car_State(SOCKHANDLE handle, int* battery_volume, int* voltage, int* current, int* car_err,
                          int* car_state, int* station_num);

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

/* C++: the same functions as methods of the class Arx_Service. */
#ifdef __cplusplus
#include "arx_service.h"
#endif

#endif /* ARX_API_H */
