// sweep_dump OUT.json: every sweep row as JSON, its request line, scripted reply,
// result and the export calls it made (recorded by the generated __wrap_
// functions), for the Python sweep test to replay: the rows stay the single source.
#include "kinematics/arm_models.h"
#include "python/call_record.h"
#include "support/command_cases.h"  // command_of, ControllerTest

#include <gtest/gtest.h>

#include <fstream>

namespace arx::test {

namespace {

int g_model = ARM_MODEL_A;
thread_local int t_depth = 0;
thread_local std::string* t_calls = nullptr;  // the row's calls, on the thread running it
int g_port = 0;
Json g_rows;

}  // namespace

void got(const std::string&) {}
int controller_port() { return g_port; }
int recorded_joints() {
    const arx::kin::ArmModelSpec* spec = arx::kin::arm_model_spec(g_model);
    return spec ? spec->joints : 6;
}
void note_recorded_model(int model) { g_model = model; }

CallRecord::CallRecord(const char* function) : function_(function), active_(t_calls && t_depth == 0) {
    if (!active_) return;
    ++t_depth;
    args_.open('{');
    outputs_.open('{');
}

CallRecord::~CallRecord() {
    if (!active_) return;
    --t_depth;
    Json call;
    call.open('{');
    call.key("function"), put(call, function_);
    call.key("args"), call.raw(args_.text() + "}");
    if (!result_.text().empty()) call.key("result"), call.raw(result_.text());  // none for a void call
    if (outputs_.text() != "{") call.key("outputs"), call.raw(outputs_.text() + "}");
    call.close('}');
    if (!t_calls->empty()) *t_calls += ',';
    *t_calls += call.text();
}

namespace {

class Dump : public ControllerTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(Dump, Family) {
    const SweepFamily* family = sweep_family(GetParam());
    ASSERT_NE(family, nullptr);
    g_port = fc.port();
    for (const SweepRow& row : family->rows) {
        fc.clear();
        if (row.line && row.reply) fc.on(command_of(row.line), row.reply);
        std::string calls;
        t_calls = &calls;
        const int rc = row.call(h);
        t_calls = nullptr;
        if (row.line) fc.wait_lines(1);  // a queued line leaves before the next row
        const auto field = [](const char* key, const auto& value) { g_rows.key(key), put(g_rows, value); };
        g_rows.open('{');
        field("family", family->name), field("function", row.function), field("variant", row.variant);
        field("line", row.line), field("reply", row.reply), field("rc", row.rc), field("dump_rc", rc);
        field("port", g_port), field("handle", h);
        g_rows.key("calls"), g_rows.raw("[" + calls + "]");
        g_rows.close('}');
    }
}

INSTANTIATE_TEST_SUITE_P(Families, Dump, ::testing::ValuesIn(sweep_family_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace arx::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: sweep_dump OUT.json\n");
        return 2;
    }
    arx::test::g_rows.open('[');
    const int failed = RUN_ALL_TESTS();
    arx::test::g_rows.close(']');
    std::ofstream(argv[1]) << arx::test::g_rows.text() << "\n";
    return failed;
}
