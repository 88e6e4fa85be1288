// Forward and inverse kinematics of every arm model beside orocos KDL on the
// same chains. Results are named operation/model/implementation; the inverse
// solvers also report the share of targets they reach (counter "success").
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <kdl/chain.hpp>
#include <kdl/chainfksolverpos_recursive.hpp>
#include <kdl/chainiksolverpos_lma.hpp>
#include <kdl/chainiksolverpos_nr_jl.hpp>
#include <kdl/chainiksolvervel_pinv.hpp>
#include <kdl/frames.hpp>

#include "arx_api.h"
#include "kinematics/arm_models.h"

namespace {

using arx::kin::ArmModelSpec;

constexpr int kTargets = 1000;
constexpr float kLimitShare = 0.9f;       // joints drawn within 90 % of each limit
constexpr float kNearSeedDeg = 3.0f;      // a near seed: every joint up to this far from the target's
constexpr double kReachTolerance = 1e-4;  // metres and radians
constexpr double kDeg = 3.141592653589793 / 180.0;
constexpr unsigned char kEulerTarget = 1;

// One target: the joints that reach it, a near seed, and both forms of the pose.
struct Target {
    std::array<float, 7> joints{}, seed{};
    Pose pose{};
    KDL::JntArray theta, seed_theta;
    KDL::Frame frame;
};

struct Model {
    const char* name;
    int code;
    const ArmModelSpec* arm;
    KDL::Chain chain;
    KDL::JntArray theta_min, theta_max;
    std::vector<Target> targets;
};

KDL::JntArray theta_of(const ArmModelSpec& arm, const float* joint_deg) {
    KDL::JntArray theta(arm.joints);
    for (int i = 0; i < arm.joints; ++i) theta(i) = (joint_deg[i] + arm.link[i].offset_deg) * kDeg;
    return theta;
}

// Joint i turns about z after the link frame RotX(alpha_i) TransX(a_i); the first
// link frame is the identity on every model, so each segment carries its own
// offset d_i and the next link frame.
KDL::Chain chain_of(const ArmModelSpec& arm, double end_link) {
    KDL::Chain chain;
    for (int i = 0; i < arm.joints; ++i) {
        const bool last = i == arm.joints - 1;
        KDL::Frame tip(KDL::Vector(0, 0, last ? end_link : arm.link[i].d));
        if (!last) tip = tip * KDL::Frame::DH_Craig1989(arm.link[i + 1].a, arm.link[i + 1].alpha_deg * kDeg, 0, 0);
        chain.addSegment(KDL::Segment(KDL::Joint(KDL::Joint::RotZ), tip));
    }
    return chain;
}

Model make_model(const char* name, int code) {
    Init_Sys_Data(code);
    Model m{name, code, arx::kin::arm_model_spec(code), {}, {}, {}, {}};
    const ArmModelSpec& arm = *m.arm;
    m.chain = chain_of(arm, arm.end_link[0]);
    float lo[7], hi[7];
    for (int i = 0; i < arm.joints; ++i) {
        lo[i] = arm.limit_deg[i].min;
        hi[i] = arm.limit_deg[i].max;
    }
    m.theta_min = theta_of(arm, lo);
    m.theta_max = theta_of(arm, hi);

    std::mt19937 rng(7 + code);
    std::uniform_real_distribution<float> nudge(-kNearSeedDeg, kNearSeedDeg);
    KDL::ChainFkSolverPos_recursive fk(m.chain);
    for (int n = 0; n < kTargets; ++n) {
        Target t;
        for (int i = 0; i < arm.joints; ++i) {
            const float half = (arm.limit_deg[i].max - arm.limit_deg[i].min) * 0.5f * kLimitShare;
            const float mid = (arm.limit_deg[i].max + arm.limit_deg[i].min) * 0.5f;
            t.joints[i] = std::uniform_real_distribution<float>(mid - half, mid + half)(rng);
            t.seed[i] = t.joints[i] + nudge(rng);
        }
        t.pose = Forward_Kinematics(t.joints.data());
        t.theta = theta_of(arm, t.joints.data());
        t.seed_theta = theta_of(arm, t.seed.data());
        fk.JntToCart(t.theta, t.frame);
        m.targets.push_back(t);
    }
    return m;
}

bool reaches(const Model& m, const KDL::JntArray& theta, const KDL::Frame& target) {
    KDL::ChainFkSolverPos_recursive fk(m.chain);
    KDL::Frame got;
    if (fk.JntToCart(theta, got) < 0) return false;
    const KDL::Twist miss = KDL::diff(target, got);
    return miss.vel.Norm() <= kReachTolerance && miss.rot.Norm() <= kReachTolerance;
}

// Each iteration handles the next target, so the time is per call.
template <typename Call>
void run_over_targets(benchmark::State& state, const Model& m, Call call) {
    size_t i = 0;
    for (auto _ : state) {
        call(m.targets[i]);
        if (++i == m.targets.size()) i = 0;
    }
}

void set_success(benchmark::State& state, int reached, const Model& m) {
    state.counters["success"] = static_cast<double>(reached) / static_cast<double>(m.targets.size());
}

void forward_arx(benchmark::State& state, const Model* m) {
    Init_Sys_Data(m->code);
    run_over_targets(state, *m, [](const Target& t) { benchmark::DoNotOptimize(Forward_Kinematics(t.joints.data())); });
}

void forward_kdl(benchmark::State& state, const Model* m) {
    KDL::ChainFkSolverPos_recursive fk(m->chain);
    KDL::Frame out;
    run_over_targets(state, *m, [&](const Target& t) {
        fk.JntToCart(t.theta, out);
        benchmark::DoNotOptimize(out);
    });
}

void inverse_arx(benchmark::State& state, const Model* m) {
    Init_Sys_Data(m->code);
    int reached = 0;
    for (const Target& t : m->targets) {
        float out[7];
        if (inverse_kinematics(t.seed.data(), &t.pose, out, kEulerTarget) == 1 &&
            reaches(*m, theta_of(*m->arm, out), t.frame))
            ++reached;
    }
    float out[7];
    run_over_targets(state, *m, [&](const Target& t) {
        benchmark::DoNotOptimize(inverse_kinematics(t.seed.data(), &t.pose, out, kEulerTarget));
    });
    set_success(state, reached, *m);
}

// KDL's solvers, each timed on the same targets and near seeds.
template <typename Solver>
void inverse_kdl(benchmark::State& state, const Model* m, Solver& solver) {
    KDL::JntArray out(m->arm->joints);
    int reached = 0;
    for (const Target& t : m->targets)
        if (solver.CartToJnt(t.seed_theta, t.frame, out) >= 0 && reaches(*m, out, t.frame)) ++reached;
    run_over_targets(state, *m, [&](const Target& t) { benchmark::DoNotOptimize(solver.CartToJnt(t.seed_theta, t.frame, out)); });
    set_success(state, reached, *m);
}

void inverse_kdl_nr_jl(benchmark::State& state, const Model* m) {
    KDL::ChainFkSolverPos_recursive fk(m->chain);
    KDL::ChainIkSolverVel_pinv velocity(m->chain);
    KDL::ChainIkSolverPos_NR_JL solver(m->chain, m->theta_min, m->theta_max, fk, velocity);
    inverse_kdl(state, m, solver);
}

// Position and orientation weighted alike, and asked for the accuracy the others
// reach: its tolerance bounds the squared weighted error.
void inverse_kdl_lma(benchmark::State& state, const Model* m) {
    Eigen::Matrix<double, 6, 1> weights;
    weights.setOnes();
    KDL::ChainIkSolverPos_LMA solver(m->chain, weights, kReachTolerance * kReachTolerance * 1e-2);
    inverse_kdl(state, m, solver);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::unique_ptr<Model>> models;
    for (const ArmModelSpec& spec : arx::kin::kArmModels)
        models.push_back(std::make_unique<Model>(make_model(spec.name, spec.model)));

    for (const auto& m : models) {
        const std::string model = m->name;
        // 0.2 s per row is hundreds of thousands of calls; make bench runs every row five rounds.
        benchmark::RegisterBenchmark(("forward/" + model + "/arx").c_str(), forward_arx, m.get())->MinTime(0.2);
        benchmark::RegisterBenchmark(("forward/" + model + "/kdl_fk_recursive").c_str(), forward_kdl, m.get())->MinTime(0.2);
        benchmark::RegisterBenchmark(("inverse/" + model + "/arx").c_str(), inverse_arx, m.get())->MinTime(0.2);
        benchmark::RegisterBenchmark(("inverse/" + model + "/kdl_nr_jl").c_str(), inverse_kdl_nr_jl, m.get())->MinTime(0.2);
        benchmark::RegisterBenchmark(("inverse/" + model + "/kdl_lma").c_str(), inverse_kdl_lma, m.get())->MinTime(0.2);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
