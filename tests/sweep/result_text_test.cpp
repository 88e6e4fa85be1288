// Every result code the header defines has its own text (read from the header,
// so a new code cannot arrive without one); the inverse-kinematics texts follow
// the loaded model's solver.
#include "arx_api.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>

namespace {

const std::string kUnknown = "unknown result code";

// The enumerators of the header's result-code enumeration: name -> value.
std::map<std::string, int> header_result_codes() {
    std::ifstream in(ARX_PUBLIC_HEADER);
    const std::string header{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t start = header.find("/* Result codes shared by every command. */");
    const std::string block = header.substr(start, header.find("};", start) - start);
    std::map<std::string, int> codes;
    const std::regex enumerator(R"(\b(ARX_\w+)\s*=\s*(-?\d+))");
    for (std::sregex_iterator it(block.begin(), block.end(), enumerator), last; it != last; ++it)
        codes[(*it)[1]] = std::stoi((*it)[2]);
    return codes;
}

TEST(ResultText, EveryHeaderCodeHasItsOwnTextOthersAreUnknown) {
    std::map<std::string, int> codes = header_result_codes();
    ASSERT_GE(codes.size(), 19u);
    ASSERT_EQ(codes.at("ARX_PENDING_TABLE_FULL"), ARX_PENDING_TABLE_FULL);  // the parse reads the header's values
    codes["ARX_START_FAILED_HANDLE"] = static_cast<int>(ARX_START_FAILED_HANDLE);
    std::map<std::string, std::string> seen;  // text -> the code that has it
    for (const auto& [name, value] : codes) {
        const char* text = Arx_Result_Text(value);
        ASSERT_NE(text, nullptr) << name;
        EXPECT_NE(std::string(text), "") << name;
        EXPECT_NE(text, kUnknown) << name;
        EXPECT_TRUE(seen.emplace(text, name).second) << name << ": same text as " << seen[text];
        EXPECT_EQ(Arx_Result_Text(value), text) << name << ": a static string, the same every time";
    }
    for (int code : {13, 21, -2, 100, INT_MIN, INT_MAX}) EXPECT_EQ(Arx_Result_Text(code), kUnknown) << code;
}

TEST(ResultText, InverseKinematicsTextsFollowTheLoadedModel) {
    const char* const unknown = "unknown inverse kinematics result";
    const char* const no_solution = "no solution: the target is out of reach, or the tool frame is singular";
    const struct { int model, code; const char* text; } cases[] = {
        {ARM_MODEL_A, 1, "solved"},
        {ARM_MODEL_A, 19, "a pointer argument is null"},
        {ARM_MODEL_A, -3, "joint 1 is beyond its limit"},
        {ARM_MODEL_C2, -8, "joint 6 is beyond its limit"},
        {ARM_MODEL_C1, -9, no_solution},
        {ARM_MODEL_A, -9, no_solution},
        {ARM_MODEL_A, -10, unknown},
        {ARM_MODEL_A, 0, unknown},  // the six-axis solvers have no wrist code
        {ARM_MODEL_C1, -1, unknown},
        {ARM_MODEL_B, -1, "the wrist point is out of reach"},
        {ARM_MODEL_B, -3, "no solution within 0.26 rad of the current joints, or the tool frame is singular"},
        {ARM_MODEL_B, -11, "joint 7 is beyond its limit"},
        {ARM_MODEL_B, -12, unknown},
        {ARM_MODEL_B, -2, unknown},
        {ARM_MODEL_B, 0, unknown},
    };
    for (const auto& c : cases) {
        Init_Sys_Data(c.model);
        EXPECT_STREQ(Arx_IK_Result_Text(c.code), c.text) << c.model << ": " << c.code;
    }
    Init_Sys_Data(ARM_MODEL_A);
}

}  // namespace
