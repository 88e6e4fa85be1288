#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#ifndef _WIN32
#  include <stdlib.h>
#endif

namespace arx::test {

TempFolder::TempFolder() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) {
        ADD_FAILURE() << "no temporary folder: " << error.message();
        return;
    }
#ifndef _WIN32
    std::string pattern = (base / "arx_test_XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = std::filesystem::path(pattern).generic_string();
#else
    // create_directory makes the folder only when no such name exists yet,
    // so a name someone else took is simply passed over.
    std::random_device seed;
    std::mt19937_64 draw(seed());
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::filesystem::path candidate = base / ("arx_test_" + std::to_string(draw()));
        if (std::filesystem::create_directory(candidate, error)) path_ = candidate.generic_string();
    }
#endif
    if (path_.empty()) ADD_FAILURE() << "cannot make a folder under " << base;
}

TempFolder::~TempFolder() {
    if (path_.empty()) return;
    std::error_code ignored;  // a file the host refused to create leaves nothing to remove
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::write(const std::string& name, const std::string& bytes) const {
    const std::string path = file(name);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) ADD_FAILURE() << "cannot write " << path;
    if (out) std::fclose(out);
    return path;
}

}  // namespace arx::test
