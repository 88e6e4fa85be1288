// Lift and mobile base against the fake controller: state queries stop at the
// first bad member; the lift speed never waits.
#include "support/command_cases.h"

#include <chrono>

using arx::test::CommandTest;
using arx::test::Got;
using arx::test::list;
using arx::test::ms_since;

class LiftBase : public CommandTest {
protected:
    int v[6];
    void mark() override {
        CommandTest::mark();
        std::fill(std::begin(v), std::end(v), -99);
    }
};

TEST_F(LiftBase, StateQueriesStopAtTheFirstBadMember) {
    const auto lift = [&] { return Got{Get_Lift_State(h, &v[0], &v[1], &v[2]), 0, list(v, 3)}; };
    const auto car = [&] { return Got{Get_Car_State(h, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 0, list(v, 6)}; };
    const std::string car_head = R"({"state":"get_car_state","battery_volume":80,"voltage":48000,"current":-1200,"car_err":3,)";
    expect_decodes({
        {"get lift state 1", "get_lift_state", R"({"state":"lift_state","height":620,"current":"12","err_flag":1})", lift, {11, 0, "620,-99,-99"}},
        {"get lift state 2", "get_lift_state", R"({"state":"lift_state","height":620.9,"current":-3,"err_flag":1})", lift, {0, 0, "620,-3,1"}},
        {"get lift state 3", "get_lift_state", R"({"state":"lift_state","current":1,"err_flag":1})", lift, {9, 0, "-99,-99,-99"}},
        {"get car state 1", "get_car_state", car_head + R"("station_num":7})", car, {9, 0, "80,48000,-1200,3,-99,-99"}},
        {"get car state 2", "get_car_state", car_head + R"("car_state":2,"station_num":null})", car, {11, 0, "80,48000,-1200,3,2,-99"}},
    });
}

TEST_F(LiftBase, NeitherWaitsWhereNothingIsAwaited) {
    struct Case { const char* what; std::function<int()> call; int rc; bool sends; };
    int i;
    const Case cases[] = {
        {"lift speed, no answer", [&] { return Set_Lift_Speed(h, 10); }, 0, true},
        {"car state, fourth pointer null", [&] { return Get_Car_State(h, &i, &i, &i, nullptr, &i, &i); }, 19, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fc.clear();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(c.call(), c.rc);
        EXPECT_LT(ms_since(start), c.sends ? 100 : 20);
        if (c.sends) {
            EXPECT_TRUE(fc.wait_lines(1));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            EXPECT_TRUE(fc.lines().empty());
        }
    }
}
