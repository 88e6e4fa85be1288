// A folder of a test's own under the system's temporary folder, made fresh
// (never one that already exists) and removed with everything in it when the
// test is done: tests that run at once, in this build or another, never share
// a file.
#pragma once

#include <string>

namespace arx::test {

class TempFolder {
public:
    TempFolder();  // an empty path (and a test failure) when none can be made
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // With forward slashes, no trailing one.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes `bytes` as they are into file(name) and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

}  // namespace arx::test
