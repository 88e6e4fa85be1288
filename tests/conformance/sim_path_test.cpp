// The simulator's tool paths: the geometry on its own (line, slerp, the circle through
// three points and where none exists); through the library, paths the arm cannot follow
// and a paused line (a line and an arc sampled while they run: viewer_paths). And its
// reply lines, printed by itself: byte for byte what cJSON prints for the same values.
#include "conformance/sim_process.h"
#include "sim/json_line.h"
#include "sim/path.h"
#include "support/command_cases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace arx::test {
namespace {

using sim::Path;
using sim::PathPose;
using sim::Quat;
using sim::Vec3d;

constexpr double kPi = 3.14159265358979323846;

double distance(const Vec3d& a, const Vec3d& b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }

double off_segment(const Vec3d& p, const Vec3d& a, const Vec3d& b) {
    const Vec3d d{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const double t =
        dd > 0 ? std::clamp(((p[0] - a[0]) * d[0] + (p[1] - a[1]) * d[1] + (p[2] - a[2]) * d[2]) / dd, 0.0, 1.0) : 0.0;
    return distance(p, {a[0] + t * d[0], a[1] + t * d[1], a[2] + t * d[2]});
}

PathPose at(double x, double y, double z, const Quat& q = {}) { return {{x, y, z}, q}; }

TEST(SimPath, EulerAnglesSurviveTheQuaternion) {
    const double cases[][3] = {{0, 0, 0}, {kPi, 0, 0}, {0.3, -0.4, 2.5}, {-1.2, 1.1, -3.0}, {1.0, 0.2, 0}};
    for (const auto& e : cases) {
        const Quat q = sim::quat_of_euler(e[0], e[1], e[2]);
        const auto back = sim::euler_of_quat(q);  // the same rotation: no turn between the two
        EXPECT_NEAR(sim::turn_between(q, sim::quat_of_euler(back[0], back[1], back[2])), 0, 1e-9)
            << e[0] << " " << e[1];
    }
    // A quarter turn about z: half angles of 45 degrees.
    const Quat q = sim::quat_of_euler(0, 0, kPi / 2);
    EXPECT_NEAR(q.w, std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(q.z, std::sqrt(0.5), 1e-12);
    // Fixed axes, x first: Ry(90) Rx(90), not Rx(90) Ry(90) (whose z would be +0.5).
    const Quat xy = sim::quat_of_euler(kPi / 2, kPi / 2, 0);
    for (double part : {xy.w, xy.x, xy.y, -xy.z}) EXPECT_NEAR(part, 0.5, 1e-12);
}

TEST(SimPath, SlerpTurnsSteadilyTheShorterWay) {
    struct Case {
        const char* name;
        Quat a, b;
        double turn;  // radians between them
    };
    const Case cases[] = {
        {"a quarter about z", Quat{}, sim::quat_of_euler(0, 0, kPi / 2), kPi / 2},
        {"b given as -b", Quat{}, Quat{-std::sqrt(0.5), 0, 0, -std::sqrt(0.5)}, kPi / 2},
        {"three quarters is a quarter the other way", Quat{}, sim::quat_of_euler(0, 0, 1.5 * kPi), kPi / 2},
        {"tilted", sim::quat_of_euler(0.2, -0.3, 1.0), sim::quat_of_euler(-0.5, 0.4, 2.0), -1},
        {"the same", sim::quat_of_euler(1, 2, 3), sim::quat_of_euler(1, 2, 3), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double whole = sim::turn_between(c.a, c.b);
        if (c.turn >= 0) EXPECT_NEAR(whole, c.turn, 1e-9);
        EXPECT_NEAR(sim::turn_between(sim::slerp(c.a, c.b, 0), c.a), 0, 1e-7);
        EXPECT_NEAR(sim::turn_between(sim::slerp(c.a, c.b, 1), c.b), 0, 1e-7);
        for (double s : {0.1, 0.25, 0.5, 0.9}) {
            const Quat q = sim::slerp(c.a, c.b, s);
            EXPECT_NEAR(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z, 1, 1e-12);
            // At a steady rate and on the great arc: s of the turn done, the rest to go.
            EXPECT_NEAR(sim::turn_between(c.a, q), s * whole, 1e-7) << s;
            EXPECT_NEAR(sim::turn_between(q, c.b), (1 - s) * whole, 1e-7) << s;
        }
    }
}

TEST(SimPath, LineRunsStraightAtSteadySpeed) {
    const PathPose from = at(0.3, -0.1, 0.2, sim::quat_of_euler(kPi, 0, 0));
    const PathPose to = at(0.1, 0.2, 0.25, sim::quat_of_euler(kPi, 0.2, 0.5));
    const Path line = Path::line(from, to);
    EXPECT_FALSE(line.is_arc());
    EXPECT_NEAR(line.length(), distance(from.position, to.position), 1e-12);
    EXPECT_NEAR(line.turn(), sim::turn_between(from.orientation, to.orientation), 1e-12);
    for (double s : {0.0, 0.2, 0.5, 0.75, 1.0}) {
        const PathPose p = line.at(s);
        EXPECT_NEAR(off_segment(p.position, from.position, to.position), 0, 1e-12) << s;
        EXPECT_NEAR(distance(p.position, from.position), s * line.length(), 1e-12) << s;
    }
    // Progress beyond the ends stays at them.
    EXPECT_EQ(line.at(-1).position, from.position);
    EXPECT_EQ(line.at(2).position, to.position);

    // A turn in place: no length, the orientation still moves.
    const Path turn = Path::line(from, PathPose{from.position, to.orientation});
    EXPECT_EQ(turn.length(), 0);
    EXPECT_GT(turn.turn(), 0.5);
    EXPECT_EQ(turn.at(0.5).position, from.position);
    // Zero length and no turn: a path that is already at its end.
    const Path still = Path::line(from, from);
    EXPECT_EQ(still.length(), 0);
    EXPECT_EQ(still.turn(), 0);
    EXPECT_EQ(still.at(0.3).position, from.position);
}

TEST(SimPath, ArcRunsOnTheCircleThroughItsThreePoints) {
    struct Case {
        const char* name;
        Vec3d from, via, to, centre;
        double radius, sweep;  // the angle from `from` to `to` through `via`
        double via_at;         // the progress at which it passes `via`
        Vec3d ahead;           // unit, in its plane, square to from - centre, the way it turns
    };
    const double h = std::sqrt(0.5), w = 0.05 * h;
    const Case cases[] = {
        {"half circle", {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 0}, 1, kPi, 0.5, {0, 1, 0}},
        {"the long way round", {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, 0}, 1, 1.5 * kPi, 1.0 / 3, {0, -1, 0}},
        {"short arc", {1, 0, 0}, {h, h, 0}, {0, 1, 0}, {0, 0, 0}, 1, kPi / 2, 0.5, {0, 1, 0}},
        {"tilted", {0.35, 0, 0.3}, {0.3, w, 0.3 + w}, {0.25, 0, 0.3}, {0.3, 0, 0.3}, 0.05, kPi, 0.5, {0, h, h}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Quat q0 = sim::quat_of_euler(kPi, 0, 0), q1 = sim::quat_of_euler(kPi, 0.3, 0),
                   q2 = sim::quat_of_euler(kPi, 0.3, 0.6);
        const auto arc = Path::arc({c.from, q0}, {c.via, q1}, {c.to, q2});
        ASSERT_TRUE(arc.has_value());
        EXPECT_TRUE(arc->is_arc());
        EXPECT_LT(distance(arc->centre(), c.centre), 1e-12);
        EXPECT_NEAR(arc->radius(), c.radius, 1e-12);
        EXPECT_NEAR(arc->length(), c.radius * c.sweep, 1e-12);
        for (int i = 0; i <= 100; ++i) {
            // On the circle at a steady rate: progress s is the angle s * sweep from the start.
            const double angle = c.sweep * i / 100.0;
            Vec3d on_circle;
            for (int k = 0; k < 3; ++k)
                on_circle[k] =
                    c.centre[k] + std::cos(angle) * (c.from[k] - c.centre[k]) + c.radius * std::sin(angle) * c.ahead[k];
            EXPECT_LT(distance(arc->at(i / 100.0).position, on_circle), 1e-12) << i;
        }
        // It passes the via pose (not the other arc of the circle), and ends at the target.
        EXPECT_LT(distance(arc->at(c.via_at).position, c.via), 1e-12);
        EXPECT_LT(sim::turn_between(arc->at(c.via_at).orientation, q1), 1e-7);
        EXPECT_EQ(arc->at(1).position, c.to);
        EXPECT_LT(sim::turn_between(arc->at(1).orientation, q2), 1e-7);
        // Half-way to the via pose, half its turn.
        EXPECT_NEAR(sim::turn_between(q0, arc->at(c.via_at / 2).orientation), sim::turn_between(q0, q1) / 2, 1e-7);
        EXPECT_NEAR(arc->turn(), sim::turn_between(q0, q1) + sim::turn_between(q1, q2), 1e-12);
    }
}

// No circle through points on one line, nor within a few micrometres of one
// (the wire's rounding of a pose read back); ten off the line, a wide one.
TEST(SimPath, NoCircleThroughPointsOnOneLine) {
    struct Case {
        const char* name;
        PathPose from, via, to;
        bool circle = false;
    };
    const Case cases[] = {
        {"via between", at(0, 0, 0), at(0.1, 0.1, 0.1), at(0.2, 0.2, 0.2)},
        {"via beyond", at(0, 0, 0), at(0.3, 0, 0), at(0.2, 0, 0)},
        {"via at the start", at(0.1, 0.2, 0.3), at(0.1, 0.2, 0.3), at(0.2, 0.2, 0.3)},
        {"via at the target", at(0.1, 0.2, 0.3), at(0.2, 0.2, 0.3), at(0.2, 0.2, 0.3)},
        {"target at the start", at(0.1, 0.2, 0.3), at(0.2, 0.3, 0.3), at(0.1, 0.2, 0.3)},
        {"all one point", at(0.1, 0.2, 0.3), at(0.1, 0.2, 0.3), at(0.1, 0.2, 0.3)},
        {"off the line by a rounding", at(0, 0, 0), at(0.1, 1e-9, 0), at(0.2, 0, 0)},
        {"via 4 um off the line", at(0, 0, 0), at(0.1, 4e-6, 0), at(0.2, 0, 0)},
        {"target 3 um from the start", at(0, 0, 0), at(0.1, 0, 0), at(3e-6, 0, 0)},
        {"via 10 um off the line", at(0, 0, 0), at(0.1, 1e-5, 0), at(0.2, 0, 0), true},
    };
    for (const Case& c : cases) EXPECT_EQ(Path::arc(c.from, c.via, c.to).has_value(), c.circle) << c.name;
}

// One line of every kind of value: numbers whole and not, beyond 32 bits and
// 15 digits, shortest round trip, NaN and infinity; escapes, arrays, objects.
TEST(SimJsonLine, PrintsAsCjsonPrints) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const sim::JsonLine inner = sim::JsonLine().number("a", 1).flag("b", false).texts("c", {});
    const std::string line =
        sim::JsonLine::command("w \"q\" \\ /")
            .text("escapes", "\b\f\n\r\t\x01\x1f \xc3\xa9")
            .flag("yes", true)
            .number("third", 1.0 / 3)
            .numbers("list", {0, -0.0, 20000, -1234, 2147483647, 2147483648.0, -2147483649.0, 999999999999999, 1e15,
                              -1e16, 0.1, 1.5, -123.456, 1e-7, 1e300, -2.5, 3e20, nan, -inf})
            .numbers("none", {})
            .texts("names", {"x", "y"})
            .object("inner", inner)
            .object("empty", sim::JsonLine())
            .line();
    EXPECT_EQ(line,
              "{\"command\":\"w \\\"q\\\" \\\\ /\",\"escapes\":\"\\b\\f\\n\\r\\t\\u0001\\u001f \xc3\xa9\","
              "\"yes\":true,\"third\":0.33333333333333331,\"list\":[0,-0,20000,-1234,2147483647,2147483648,"
              "-2147483649,999999999999999,1e+15,-1e+16,0.1,1.5,-123.456,1e-07,1e+300,-2.5,3e+20,null,null],"
              "\"none\":[],\"names\":[\"x\",\"y\"],\"inner\":{\"a\":1,\"b\":false,\"c\":[]},\"empty\":{}}\r\n");
    // And as cJSON prints what it parses back to.
    const sim::JsonPtr parsed(cJSON_Parse(line.c_str()));
    ASSERT_TRUE(parsed);
    const std::unique_ptr<char, decltype(&cJSON_free)> text(cJSON_PrintUnformatted(parsed.get()), &cJSON_free);
    EXPECT_EQ(line, std::string(text.get()) + "\r\n");
}

// arx-sim at its natural speed, so that a move lasts long enough to be
// sampled many times; model A, from its power-on pose.
struct SlowSim : ::testing::Test, SimConnection {
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(start("A", ARM_MODEL_A, {"--speed", "1"})); }
    Vec3d where() {
        float joints[7] = {};
        POSE pose{};
        uint16_t arm_err = 0, sys_err = 0;
        EXPECT_EQ(Get_Current_Arm_State(h, joints, &pose, &arm_err, &sys_err), 0);
        return {pose.x, pose.y, pose.z};
    }
};

// The tool pose at `p` moved by (dx, dy, dz), pointing down, turned `rz` about z.
POSE shifted(const Vec3d& p, double dx, double dy, double dz, float rz = 0) {
    return {
        static_cast<float>(p[0] + dx), static_cast<float>(p[1] + dy), static_cast<float>(p[2] + dz), 3.1415f, 0, rz};
}

// Paths the arm cannot follow arrive false: an arc with its via pose on the line
// to the target at once, the arm staying; a line that leaves the reach where it leaves it.
TEST_F(SlowSim, PathsItCannotFollowArriveFalse) {
    const Vec3d start = where();
    const auto begun = std::chrono::steady_clock::now();
    EXPECT_EQ(Movec_Cmd(h, shifted(start, 0.02, 0, 0), shifted(start, 0.04, 0, 0), 30, 0, 0, true),
              ARX_CONTROLLER_FALSE);
    EXPECT_LT(ms_since(begun), 1000);
    EXPECT_LT(distance(where(), start), 1e-5);

    // Straight across the arm's base axis to the mirrored position: on the
    // axis the first joint would have to swing half a turn at once.
    ASSERT_LT(start[0], -0.1);
    ASSERT_EQ(Movel_Cmd(h, shifted(start, -2 * start[0], 0, 0, 3.1415f), 100, 0, true), ARX_CONTROLLER_FALSE);
    const Vec3d stopped = where();
    EXPECT_LT(off_segment(stopped, start, {-start[0], start[1], start[2]}), 0.5e-3);
    // It went as far as the axis and no further.
    EXPECT_GT(stopped[0], -0.01);
    EXPECT_LT(stopped[0], 0.005);
    EXPECT_TRUE(sim->wait_idle(1000));
}

// A paused line holds the tool still (the clock sleeps) and goes on along it when continued.
TEST_F(SlowSim, PausedLineHoldsStillAndGoesOnAlongIt) {
    const Vec3d start = where();
    const POSE target = shifted(start, 0.06, 0.03, 0);
    const Vec3d end{target.x, target.y, target.z};
    ASSERT_EQ(Movel_Cmd(h, target, 20, 0, false), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(Move_Pause_Cmd(h, true), 0);
    const Vec3d held = where();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LT(distance(where(), held), 1e-5) << "it moved while paused";
    EXPECT_GT(distance(held, start), 1e-3);
    EXPECT_GT(distance(held, end), 1e-3);
    ASSERT_EQ(Move_Continue_Cmd(h, true), 0);
    std::vector<Vec3d> samples;
    ASSERT_TRUE(wait_until(
        [&] {
            samples.push_back(where());
            return distance(samples.back(), end) < 1e-5;
        },
        5000));
    for (const Vec3d& p : samples) EXPECT_LT(off_segment(p, start, end), 0.5e-3);
}

}  // namespace
}  // namespace arx::test
