// Request words of the tool and work frames and the payload. Names keep the
// order they were made in; lists never hold "NULL".
#include "sim/catalogue.h"

#include "kinematics/kinematic_state.h"

#include <algorithm>

namespace arx::sim {

namespace {

using C = Controller;
using X = Exchange;

void add_name(std::vector<std::string>& order, const std::string& name) {
    if (std::find(order.begin(), order.end(), name) == order.end()) order.push_back(name);
}

void remove_name(std::vector<std::string>& order, const std::string& name) {
    order.erase(std::remove(order.begin(), order.end(), name), order.end());
}

void store_tool(C& c, const std::string& name, const ToolFrame& tool) {
    c.state.tools[name] = tool;
    add_name(c.state.tool_order, name);
}

// A frame's numbers as the library sends them: none beyond 32 bits.
bool numbers_fit(const X& x, const char* key, int count) {
    for (int i = 0; i < count; ++i)
        if (!(std::fabs(x.element(key, i)) <= kWireIntegerLimit)) return false;
    return true;
}

bool tool_fits(const X& x, const char* pose_key) {
    return (!pose_key || numbers_fit(x, pose_key, 6)) && numbers_fit(x, "position", 3) &&
           x.bounded("payload", kWireIntegerLimit);
}

ToolFrame tool_from(const X& x, const char* pose_key) {
    ToolFrame t;
    if (pose_key) t.pose = pose_from(x, pose_key);
    t.payload = x.number("payload");
    for (int i = 0; i < 3; ++i) t.position[i] = x.element("position", i);
    return t;
}

// The kinematics of the pose reports follow the active tool.
void activate_tool(C& c, const std::string& name) {
    c.state.tool = name;
    kin::store_tool_frame(pos2matrix(to_kinematics(c.state.tools[name].pose)));
}

JsonLine tool_reply(const char* word, const ToolFrame& t) {
    return JsonLine::state(word)
        .numbers("pose", pose_wire(t.pose))
        .number("payload", t.payload)
        .numbers("position", {t.position[0], t.position[1], t.position[2]});
}

void change_tool(C& c, X& x) {
    const std::string name = x.text("tool_name");
    const bool known = c.state.tools.count(name) > 0;
    if (known) activate_tool(c, name);
    ack_bool(x, "change_tool_frame", known);
}

void delete_tool(C& c, X& x) {
    const std::string name = x.text("tool_name");
    // The active frame and the flange's own frame stay.
    const bool ok = c.state.tools.count(name) && name != c.state.tool && name != "Arm_Tip";
    if (ok) c.state.tools.erase(name), remove_name(c.state.tool_order, name);
    ack_bool(x, "delete_tool_frame", ok);
}

void given_tool(C& c, X& x) {
    const auto found = c.state.tools.find(x.text("tool_name"));
    // An unknown name: the answer carries no frame.
    if (found == c.state.tools.end()) return x.answer(JsonLine::state("given_tool_frame").flag("set_state", false));
    x.answer(tool_reply("given_tool_frame", found->second));
}

void store_work(C& c, const std::string& name, const Pose6& pose) {
    c.state.work_frames[name] = pose;
    add_name(c.state.work_order, name);
}

void change_work(C& c, X& x) {
    const std::string name = x.text("frame_name");
    const bool known = c.state.work_frames.count(name) > 0;
    if (known) c.state.work = name;
    ack_bool(x, "change_work_frame", known);
}

void delete_work(C& c, X& x) {
    const std::string name = x.text("frame_name");
    const bool ok = c.state.work_frames.count(name) && name != c.state.work && name != "World";
    if (ok) c.state.work_frames.erase(name), remove_name(c.state.work_order, name);
    ack_bool(x, "delete_work_frame", ok);
}

void given_work(C& c, X& x) {
    const auto found = c.state.work_frames.find(x.text("frame_name"));
    if (found == c.state.work_frames.end())
        return x.answer(JsonLine::state("given_work_frame").flag("set_state", false));
    x.answer(JsonLine::state("given_work_frame").numbers("pose", pose_wire(found->second)));
}

}  // namespace

const std::map<std::string, Handler>& frame_handlers() {
    static const std::map<std::string, Handler> table = {
        // tool and work frames
        {"set_auto_tool_frame", [](C&, X& x) { x.ack("auto_tool_frame"); }},
        {"generate_auto_tool_frame",
         [](C& c, X& x) {
             const bool ok = tool_fits(x, nullptr);
             if (ok) store_tool(c, x.text("tool_name"), tool_from(x, nullptr));
             ack_bool(x, "auto_tool_frame", ok);
         }},
        {"set_manual_tool_frame",
         [](C& c, X& x) {
             const bool ok = tool_fits(x, "tool_pose");
             if (ok) store_tool(c, x.text("tool_name"), tool_from(x, "tool_pose"));
             ack_bool(x, "Manual_Tool_Frame", ok);
         }},
        {"set_change_tool_frame", change_tool},
        {"set_delete_tool_frame", delete_tool},
        {"set_payload",
         [](C& c, X& x) {
             const bool ok = x.bounded("payload", kWireIntegerLimit);
             if (ok) c.state.payload = x.number("payload");
             ack_bool(x, "set_state", ok);
         }},
        {"set_none_payload",
         [](C& c, X& x) {
             c.state.payload = 0;
             x.ack("set_state");
         }},
        {"get_current_tool_frame",
         [](C& c, X& x) {
             x.answer(tool_reply("current_tool_frame", c.state.tools[c.state.tool]).text("tool_name", c.state.tool));
         }},
        {"get_tool_frame", given_tool},
        {"get_total_tool_frame",
         [](C& c, X& x) { x.answer(JsonLine::state("total_tool_frame").texts("tool_names", c.state.tool_order)); }},
        {"set_auto_work_frame",
         [](C& c, X& x) {
             store_work(c, x.text("frame_name"), Pose6{});
             x.ack("auto_work_frame");
         }},
        // Answered under the controller's own spelling of the word.
        {"set_manual_work_frame",
         [](C& c, X& x) {
             const bool ok = numbers_fit(x, "frame_pose", 6);
             if (ok) store_work(c, x.text("frame_name"), pose_from(x, "frame_pose"));
             x.answer(JsonLine::command("set_maual_work_frame").flag("manual_work_frame", ok));
         }},
        {"set_change_work_frame", change_work},
        {"set_delete_work_frame", delete_work},
        {"get_current_work_frame",
         [](C& c, X& x) {
             x.answer(JsonLine::state("current_work_frame")
                          .text("frame_name", c.state.work)
                          .numbers("pose", pose_wire(c.state.work_frames[c.state.work])));
         }},
        {"get_work_frame", given_work},
        {"get_total_work_frame",
         [](C& c, X& x) { x.answer(JsonLine::state("total_work_frame").texts("frame_names", c.state.work_order)); }},
    };
    return table;
}

}  // namespace arx::sim
