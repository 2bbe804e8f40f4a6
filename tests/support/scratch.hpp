// A fresh empty folder that a test works in, so saved games never meet.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // A file's whole content, empty when it is absent.
    std::string read(const std::filesystem::path& name) const;
    void write(const std::filesystem::path& name, const std::string& content) const;
    // Names of everything in the folder, sorted.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path path_;
    std::filesystem::path previous_ = std::filesystem::current_path();
};
