/* Pick and place: the README's demo. Connects, reads the controller, sets a
 * tool, moves over a part, computes the grasp pose with the inverse
 * kinematics, goes down in a straight line, grips, signals, checks the force
 * sensor, runs a small trajectory file and returns home. Against arx-sim by
 * default; --host and --port drive a real controller. */
#include "example.h"

#include <unistd.h>

static const float kHome[7] = {0, 20, 70, 0, 90, 0, 0};
static const float kAbovePart[7] = {25, 35, 60, 0, 85, 25, 0};
static float g_joints[7];
static POSE g_pose;

static int read_versions(SOCKHANDLE arm) {
    char plan[12], ctrl[12], kernel1[12], kernel2[12];
    const int rc = Get_Arm_Software_Version(arm, plan, ctrl, kernel1, kernel2);
    if (rc == 0)
        printf("    controller %s / %s, kernels %s %s, library %s\n", plan, ctrl, kernel1, kernel2, API_Version());
    return rc;
}

static int read_state(SOCKHANDLE arm) {
    unsigned short arm_err = 0, sys_err = 0;
    const int rc = Get_Current_Arm_State(arm, g_joints, &g_pose, &arm_err, &sys_err);
    if (rc == 0)
        printf("    tool at x %.3f y %.3f z %.3f m, errors %u/%u\n", g_pose.x, g_pose.y, g_pose.z, arm_err, sys_err);
    return rc;
}

/* The kinematics see a new tool only after connecting again. */
static int set_tool(Example* ex) {
    const POSE gripper_tip = {0, 0, 0.12f, 0, 0, 0};
    int rc = Manual_Set_Tool_Frame(ex->arm, "gripper", gripper_tip, 0.8f, 0, 0, 0.05f, true);
    if (rc == 0) rc = Change_Tool_Frame(ex->arm, "gripper", true);
    if (rc != 0) return rc;
    Arm_Socket_Close(ex->arm);
    ex->arm = Arm_Socket_Start(ex->host, ex->port, 200);
    return ex->arm > 5 && ex->arm != ARX_START_FAILED_HANDLE ? 0 : ARX_CONNECT_FAILED;
}

/* 6 cm below the current tool pose, checked by the inverse kinematics. */
static POSE g_grasp;
static int grasp_pose(SOCKHANDLE arm) {
    int rc = read_state(arm);
    if (rc != 0) return rc;
    g_grasp = g_pose;
    g_grasp.z -= 0.06f;
    Pose target = {g_grasp.x, g_grasp.y, g_grasp.z, {1, 0, 0, 0}, {g_grasp.rx, g_grasp.ry, g_grasp.rz}};
    float solution[7] = {0};
    rc = inverse_kinematics(g_joints, &target, solution, 1);
    if (rc == 1)
        printf("    grasp joints %.1f %.1f %.1f %.1f %.1f %.1f\n", solution[0], solution[1], solution[2], solution[3],
               solution[4], solution[5]);
    return rc == 1 ? 0 : rc;
}

static int read_force(SOCKHANDLE arm) {
    float force[6] = {0};
    const int rc = Get_Force_Data(arm, force);
    if (rc == 0) printf("    force %.2f %.2f %.2f N\n", force[0], force[1], force[2]);
    return rc;
}

static int run_trajectory_file(SOCKHANDLE arm) {
    /* A fresh folder of its own, so two runs side by side never share a file. */
    char folder[] = "/tmp/arx_place_XXXXXX";
    if (!mkdtemp(folder)) return ARX_FILE_UNREADABLE;
    char path[64];
    snprintf(path, sizeof path, "%s/place.txt", folder);
    FILE* file = fopen(path, "w");
    if (!file) {
        rmdir(folder);
        return ARX_FILE_UNREADABLE;
    }
    fputs("{\"command\":\"movej\",\"joint\":[-20000,35000,60000,0,85000,-20000],\"v\":40,\"r\":0}\n", file);
    fputs("{\"command\":\"movej\",\"joint\":[-20000,25000,65000,0,90000,-20000],\"v\":40,\"r\":0}\n", file);
    fclose(file);
    const int rc = Send_TrajectoryFile(arm, path, (int)strlen(path), 50);
    remove(path);
    rmdir(folder);
    return rc;
}

int main(int argc, char** argv) {
    const double start = example_now_ms();
    Example ex = example_start(argc, argv);
    printf("connected to %s:%d\n", ex.host, ex.port);
    STEP(&ex, "read versions", read_versions(ex.arm));
    STEP(&ex, "read arm state", read_state(ex.arm));
    STEP(&ex, "set tool frame \"gripper\"", set_tool(&ex));
    STEP(&ex, "Movej_Cmd over the part", Movej_Cmd(ex.arm, kAbovePart, 50, 0, true));
    STEP(&ex, "inverse_kinematics: grasp pose", grasp_pose(ex.arm));
    STEP(&ex, "Movel_Cmd down to the grasp", Movel_Cmd(ex.arm, g_grasp, 30, 0, true));
    STEP(&ex, "close the gripper", Set_Gripper_Pick(ex.arm, 500, 300, true));
    STEP(&ex, "set output DO 1", Set_IO_State(ex.arm, 0, 1, true, true));
    STEP(&ex, "read the force sensor", read_force(ex.arm));
    STEP(&ex, "download and run trajectory file", run_trajectory_file(ex.arm));
    STEP(&ex, "return home", Movej_Cmd(ex.arm, kHome, 50, 0, true));
    printf("%s: %d step(s) failed, %.1f s in all\n", ex.failures ? "FAILED" : "done", ex.failures,
           (example_now_ms() - start) / 1000);
    return example_finish(&ex);
}
