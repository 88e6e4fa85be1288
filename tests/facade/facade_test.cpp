// Arx_Service where it is more than a forwarding line (the rest: facade_generated, facade_exports;
// it keeps no state, so its calls from many threads are the functions' own: ReceiveLoop's 300 connections).
#include "core/platform.h"
#include "core/transfer_state.h"
#include "support/fake_controller.h"

namespace {

// A record's bytes: the method's and the function's results compare bit for bit.
template <class T>
std::string shown(const T& record) { return std::string(reinterpret_cast<const char*>(&record), sizeof record); }

const float kJoints[7] = {10, -20, 30, 5, 60, -15, 0};

using Facade = arx::test::ControllerTest;

// 18 before 19, as the functions: a transfer refuses even a call whose output is null.
TEST_F(Facade, FileTransferRefusesMethodsWith18BeforeTheNullCheck) {
    Arx_Service service;
    {
        const arx::core::TransferClaim transfer(h);  // as while a trajectory file travels on h
        ASSERT_TRUE(transfer);
        float v[7];
        EXPECT_EQ(service.Service_Get_Joint_Speed(h, v), ARX_FILE_TRANSFER_BUSY);
        EXPECT_EQ(service.Service_Set_Joint_Speed(h, 1, 1.0f, false), ARX_FILE_TRANSFER_BUSY);
        EXPECT_EQ(service.Service_Get_Joint_Speed(h, nullptr), ARX_FILE_TRANSFER_BUSY);
    }
    arx::platform::sleep_ms(50);
    EXPECT_TRUE(fc.lines().empty());
}

// Methods named apart from their functions return the functions' records; façade state is the library's.
TEST(FacadeKinematics, MethodsReturnTheFunctionsRecords) {
    Arx_Service service;
    service.Service_Init_Sys_Data(ARM_MODEL_A);
    service.Service_SetAngle(0, 90, 0);
    EXPECT_EQ(shown(service.Service_Forward_Kinematics(kJoints)), shown(Forward_Kinematics(kJoints)));
    setAngle(0, 0, 0);
    service.Service_SetLwt(1);
    const Pose reached = service.Service_Forward_Kinematics(kJoints);
    EXPECT_EQ(shown(reached), shown(Forward_Kinematics(kJoints)));
    EXPECT_EQ(shown(service.Service_Pos2matrix(reached)), shown(pos2matrix(reached)));

    float fn[7] = {}, method[7] = {};
    const float near[7] = {11, -19, 29, 6, 59, -14, 0};
    EXPECT_EQ(inverse_kinematics(near, &reached, fn, 1), 1);
    EXPECT_EQ(service.Service_Inverse_Kinematics(near, &reached, method, 1), 1);
    EXPECT_EQ(shown(method), shown(fn));
    EXPECT_EQ(service.Service_Inverse_Kinematics(near, nullptr, method, 0), ARX_NULL_POINTER);

    // The whole-number distance: 2^24 + 1 rounds to 2^24 as a float, as a direct call would.
    service.Service_Init_Sys_Data(ARM_MODEL_C1);
    for (int32_t dx : {-2, 16777217})
        EXPECT_EQ(shown(service.Service_Cartesian_Tool(kJoints, dx, 0.1f, -0.2f, 0)),
                  shown(Cartesian_Tool(kJoints, static_cast<float>(dx), 0.1f, -0.2f, 0)))
            << dx;
}

}  // namespace
