// Downloading a trajectory file as a project the controller then runs: an
// announcement line, the file's text in ten-byte pieces, the controller's
// verdict. While the pieces travel, the connection carries nothing else.
#include "core/library.h"
#include "core/transfer_state.h"
#include "protocol/command.h"

#include "core/transport.h"

#include <optional>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

using namespace arx::protocol;
namespace core = arx::core;

namespace {

constexpr int kMaxPathLength = 300;
constexpr std::size_t kMaxFileBytes = 102400;
constexpr std::size_t kPieceBytes = 10;
// The verdict on the content may come this much later than any reply.
constexpr int kVerdictExtraMs = 7;

// Both answers carry "project_state"; a refusal is 16.
Field ProjectState() {
    return Field([](const cJSON* object) {
        const int rc = read_bool(object, "project_state", kWrongType);
        return rc == ARX_CONTROLLER_FALSE ? static_cast<int>(ARX_PATH_OR_PROJECT) : rc;
    });
}

// The text after the last "/" of the path's first `length` bytes or, with
// none, after its last backslash; false when there is neither.
bool project_name(const char* path, int length, std::string_view* name) {
    const std::string_view examined(path, strnlen(path, static_cast<std::size_t>(length)));
    std::size_t separator = examined.rfind('/');
    if (separator == std::string_view::npos) separator = examined.rfind('\\');
    if (separator == std::string_view::npos) return false;
    *name = examined.substr(separator + 1);
    return true;
}

struct CloseFile {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The file's text: its bytes up to the first zero byte, at most kMaxFileBytes.
// Empty when it cannot be read.
std::vector<char> read_text(const char* path) {
    std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path, "rb"));
    if (!file) return {};
    std::vector<char> content(kMaxFileBytes, '\0');
    const std::size_t read = std::fread(content.data(), 1, content.size(), file.get());
    content.resize(strnlen(content.data(), read));
    return content;
}

// Sends the content in pieces and awaits the verdict on its own slot.
int download(SOCKHANDLE h, const std::vector<char>& content) {
    const std::optional<core::SlotRef> slot = core::register_slot(h, Kind::DownloadProject, /*waiting=*/true);
    if (!slot) return ARX_PENDING_TABLE_FULL;
    // A failed piece is not retried: the controller's verdict, or its
    // absence, tells how the download went.
    for (std::size_t at = 0; at < content.size(); at += kPieceBytes)
        core::send_raw_piece(h, std::string_view(content.data() + at, std::min(kPieceBytes, content.size() - at)));
    return core::wait_reply(*slot, core::reply_timeout_ms() + kVerdictExtraMs, ProjectState());
}

}  // namespace

int Send_TrajectoryFile(SOCKHANDLE h, const char* path, int path_length, int plan_speed) {
    ARX_GUARD(h, Transfer, NotNull(path), Pause);
    const core::TransferClaim claim(h);
    if (claim.busy()) return ARX_FILE_TRANSFER_BUSY;  // another transfer started on this connection meanwhile
    if (path_length < 0 || path_length > kMaxPathLength) return ARX_PATH_TOO_LONG;
    std::string_view name;
    if (!project_name(path, path_length, &name)) return ARX_PATH_OR_PROJECT;
    const std::vector<char> content = read_text(path);
    if (content.empty()) return ARX_FILE_UNREADABLE;

    // The name travels escaped, so a quote or backslash in it stays text.
    char name_text[kMaxPathLength + 1] = {};
    name.copy(name_text, name.size());
    Request announcement("run_project");
    announcement.add("file_size", Int(static_cast<long long>(content.size())))
        .add("plan_speed", Int(plan_speed))
        .add("project_name", Text(name_text));
    if (announcement.line().empty()) return ARX_PATH_TOO_LONG;  // the name does not fit the line
    // The announcement is the download's own line: it passes the claim that
    // holds every other line of this connection back.
    core::SlotRef slot{};
    if (const int rc = core::start_request(h, announcement.line(), Kind::RunProject, &slot,
                                           core::SendRoute::TransferLine))
        return rc;
    if (const int rc = core::wait_reply(slot, core::reply_timeout_ms(), ProjectState())) return rc;
    return download(h, content);
}
