#include "sim/web_server.h"

#include "kinematics/arm_models.h"

#include <httplib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <system_error>

namespace arx::sim {

namespace {

constexpr double kDegPerRad = 180 / 3.14159265358979323846;
constexpr double kMmPerM = 1000;
// A request word is a short name; anything else is not one of ours.
constexpr std::size_t kLongestWord = 64;

cJSON* numbers(const double* values, std::size_t count) {
    cJSON* array = cJSON_CreateArray();
    for (std::size_t i = 0; i < count; ++i) cJSON_AddItemToArray(array, cJSON_CreateNumber(values[i]));
    return array;
}

template <typename T, std::size_t N>
cJSON* numbers(const std::array<T, N>& values) {
    cJSON* array = cJSON_CreateArray();
    for (const T& v : values) cJSON_AddItemToArray(array, cJSON_CreateNumber(static_cast<double>(v)));
    return array;
}

cJSON* frame(const FrameView& f) {
    cJSON* out = cJSON_CreateObject();
    cJSON_AddItemToObject(out, "origin", numbers(f.origin, 3));
    cJSON_AddItemToObject(out, "x", numbers(f.axis[0], 3));
    cJSON_AddItemToObject(out, "y", numbers(f.axis[1], 3));
    cJSON_AddItemToObject(out, "z", numbers(f.axis[2], 3));
    return out;
}

bool is_request_word(const std::string& word) {
    if (word.empty() || word.size() > kLongestWord) return false;
    if (word == "*") return true;
    for (char c : word)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}

void reply_json(httplib::Response& res, int status, const std::string& body) {
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(body, "application/json");
}

}  // namespace

std::string state_json(const Snapshot& s) {
    JsonPtr root(cJSON_CreateObject());
    cJSON* r = root.get();
    const kin::ArmModelSpec* arm = kin::arm_model_spec(s.model);
    cJSON_AddStringToObject(r, "model", arm ? arm->name : "");
    cJSON_AddItemToObject(r, "joints", numbers(s.joints.data(), static_cast<std::size_t>(s.joint_count)));
    const double pose[6] = {s.pose.v[0] * kMmPerM,    s.pose.v[1] * kMmPerM,    s.pose.v[2] * kMmPerM,
                            s.pose.v[3] * kDegPerRad, s.pose.v[4] * kDegPerRad, s.pose.v[5] * kDegPerRad};
    cJSON_AddItemToObject(r, "pose", numbers(pose, 6));
    cJSON_AddNumberToObject(r, "moving", s.moving);
    if (s.full) {
        cJSON* frames = cJSON_AddArrayToObject(r, "frames");
        for (const FrameView& f : s.joint_frames) cJSON_AddItemToArray(frames, frame(f));
        cJSON* links = cJSON_AddArrayToObject(r, "links");
        for (const auto& point : s.link_path) cJSON_AddItemToArray(links, numbers(point.data(), 3));
        cJSON* tool = cJSON_AddObjectToObject(r, "tool");
        cJSON_AddStringToObject(tool, "name", s.tool.c_str());
        cJSON_AddItemToObject(tool, "frame", frame(s.tool_frame));
        cJSON* work = cJSON_AddObjectToObject(r, "work");
        cJSON_AddStringToObject(work, "name", s.work.c_str());
        cJSON_AddItemToObject(work, "frame", frame(s.work_frame));
        cJSON* io = cJSON_AddObjectToObject(r, "io");
        cJSON_AddItemToObject(io, "digital_out", numbers(s.io.digital_out));
        cJSON_AddItemToObject(io, "digital_in", numbers(s.io.digital_in));
        cJSON_AddItemToObject(io, "analog_out", numbers(s.io.analog_out));
        cJSON_AddItemToObject(io, "analog_in", numbers(s.io.analog_in));
        cJSON_AddItemToObject(io, "tool_out", numbers(s.io.tool_out));
        cJSON_AddNumberToObject(io, "tool_voltage", s.io.tool_voltage);
        cJSON_AddNumberToObject(r, "gripper", s.gripper);
        cJSON_AddNumberToObject(r, "lift", s.lift_height);
        cJSON_AddBoolToObject(r, "paused", s.paused);
        cJSON_AddStringToObject(r, "trajectory", s.trajectory_type.c_str());
        cJSON* faults = cJSON_AddObjectToObject(r, "faults");
        for (const auto& [word, fault] : s.faults)
            cJSON_AddStringToObject(faults, word.c_str(), fault_text(fault).c_str());
        cJSON_AddNumberToObject(r, "clients", s.clients);
        cJSON* log = cJSON_AddArrayToObject(r, "log");
        for (const std::string& line : s.log) cJSON_AddItemToArray(log, cJSON_CreateString(line.c_str()));
    }
    char* text = cJSON_PrintUnformatted(r);
    std::string out = text ? text : "{}";
    cJSON_free(text);
    return out;
}

WebServer::WebServer(Controller& controller, int port, std::string page_folder)
    : controller_(controller), http_(std::make_unique<httplib::Server>()) {
    if (!http_->set_mount_point("/", page_folder)) return;
    routes();
    int bound = port;
    if (port == 0)
        bound = http_->bind_to_any_port("127.0.0.1");
    else if (!http_->bind_to_port("127.0.0.1", port))
        bound = -1;
    if (bound <= 0) return;
    try {
        thread_ = std::thread([this] { http_->listen_after_bind(); });
    } catch (const std::system_error&) {
        return;
    }
    port_ = bound;
}

WebServer::~WebServer() {
    {
        std::lock_guard<std::mutex> lock(stop_mutex_);
        stopping_ = true;
    }
    stop_signal_.notify_all();
    http_->stop();
    if (thread_.joinable()) thread_.join();
}

bool WebServer::pace(std::chrono::steady_clock::time_point until) {
    std::unique_lock<std::mutex> lock(stop_mutex_);
    return !stop_signal_.wait_until(lock, until, [this] { return stopping_; });
}

void WebServer::routes() {
    http_->Get("/state", [this](const httplib::Request&, httplib::Response& res) {
        reply_json(res, 200, state_json(controller_.snapshot()));
    });

    // One snapshot per period for each page that listens, none otherwise.
    // Each stream holds one of the server's threads for as long as it runs:
    // a few are left for the rest of the page's requests.
    http_->Get("/events", [this](const httplib::Request&, httplib::Response& res) {
        if (++streams_ > kMostStreams) {
            --streams_;
            return reply_json(res, 503, R"({"error":"too many pages open"})");
        }
        res.set_header("Cache-Control", "no-store");
        auto next = std::make_shared<std::chrono::steady_clock::time_point>(std::chrono::steady_clock::now());
        res.set_chunked_content_provider(
            "text/event-stream",
            [this, next](std::size_t, httplib::DataSink& sink) {
                const std::string event = "data: " + state_json(controller_.snapshot()) + "\n\n";
                if (!sink.write(event.data(), event.size())) return false;
                // The schedule is kept through a late wake-up (the rate holds on a
                // busy machine); a page that fell far behind gets the present,
                // not a burst of the past.
                const auto now = std::chrono::steady_clock::now();
                *next += kEventPeriod;
                if (*next < now - kCatchUp) *next = now;
                return pace(*next);
            },
            [this](bool) { --streams_; });
    });

    // The request words a fault can be armed for.
    http_->Get("/words", [](const httplib::Request&, httplib::Response& res) {
        JsonPtr words(cJSON_CreateArray());
        for (const auto& entry : catalogue())
            cJSON_AddItemToArray(words.get(), cJSON_CreateString(entry.first.c_str()));
        char* text = cJSON_PrintUnformatted(words.get());
        reply_json(res, 200, text ? text : "[]");
        cJSON_free(text);
    });

    http_->Post("/stop", [this](const httplib::Request&, httplib::Response& res) {
        {
            std::lock_guard<std::mutex> lock(controller_.mutex);
            controller_.stop_arm();
            if (controller_.keep_log_tail) controller_.note("viewer: stop");
        }
        reply_json(res, 200, R"({"stopped":true})");
    });

    http_->Post("/fault", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string word = req.get_param_value("word");
        const std::optional<Fault> fault = parse_fault(req.get_param_value("fault"));
        if (!is_request_word(word) || !fault) return reply_json(res, 400, R"({"set":false})");
        controller_.faults.set(word, *fault);
        {
            std::lock_guard<std::mutex> lock(controller_.mutex);
            if (controller_.keep_log_tail) controller_.note("viewer: fault " + word + "=" + fault_text(*fault));
        }
        reply_json(res, 200, R"({"set":true})");
    });
}

std::string default_page_folder() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "arx-sim-web";
    std::string binary(path, static_cast<std::size_t>(n));
    const std::string folder = binary.substr(0, binary.rfind('/') + 1);
    // A build keeps the page beside the binary; an installed arx-sim in
    // <prefix>/bin finds it in <prefix>/share/arx-sim/web.
    struct stat info {};
    if (::stat((folder + "arx-sim-web").c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return folder + "arx-sim-web";
    return folder + "../share/arx-sim/web";
}

}  // namespace arx::sim
