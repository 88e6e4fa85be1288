// Arm-wide settings: Cartesian limits, collision stage, DH values, dynamic
// parameters, home pose, installation angles, servo and power switches.
#include "kinematics/kinematic_state.h"
#include "protocol/command.h"

using namespace arx::protocol;

int Get_Install_Pose(SOCKHANDLE h, float* x, float* y, float* z) {
    ARX_GUARD(h, Transfer, NotNull(x, y, z), Pause);
    const int rc = Request("get_install_pose")
                       .query(h, 167, LeadingElements("pose", std::array{x, y, z}, NumberAsFloat, 11, 11));
    if (rc == 0) arx::kin::store_install_angles_deg(*x, *y, *z);
    return rc;
}
