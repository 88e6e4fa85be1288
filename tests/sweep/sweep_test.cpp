// Runs every family's sweep rows against the fake controller, and checks that
// every function the public header declares has at least one row.
#include "declared_functions.h"  // written at build time by tools/arx_header.py
#include "support/command_cases.h"  // command_of

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace arx::test {

static std::string g_value;
static int g_port = 0;

void got(const std::string& value) { g_value = value; }
int controller_port() { return g_port; }

namespace {

TEST(Sweep, EveryDeclaredFunctionHasARow) {
    std::set<std::string> covered;
    for (const SweepFamily& f : sweep_families())
        for (const SweepRow& r : f.rows) covered.insert(r.function);
    const std::set<std::string> declared(std::begin(kDeclaredFunctions), std::end(kDeclaredFunctions));
    ASSERT_GT(declared.size(), 100u);
    for (const std::string& name : declared) EXPECT_TRUE(covered.count(name)) << name << " has no sweep row";
    for (const std::string& name : covered) EXPECT_TRUE(declared.count(name)) << name << " is not declared";
}

class SweepFamilyTest : public ControllerTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(SweepFamilyTest, RowsSendTheirLineAndDecodeTheirReply) {
    const SweepFamily* family = sweep_family(GetParam());
    ASSERT_NE(family, nullptr);
    g_port = fc.port();
    for (const SweepRow& row : family->rows) {
        SCOPED_TRACE(std::string(family->name) + ": " + row.function + " " + row.variant);
        fc.clear();
        const std::string line = row.line ? row.line : "";
        if (row.line && row.reply) fc.on(command_of(line), row.reply);
        g_value.clear();
        EXPECT_EQ(row.call(h), row.rc);
        if (row.value) EXPECT_EQ(g_value, row.value);
        if (!row.line) {
            EXPECT_TRUE(fc.lines().empty());
            continue;
        }
        // A queued line must have left before the next row clears the record.
        ASSERT_TRUE(fc.wait_lines(1 + std::count(line.begin(), line.end(), '\n')));  // CR LF-joined lines
        std::string received;
        for (int c = 0; c < fc.connections(); ++c) received += fc.raw_of(c);
        EXPECT_EQ(received, line + "\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Families, SweepFamilyTest, ::testing::ValuesIn(sweep_family_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace arx::test
