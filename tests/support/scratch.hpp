// A fresh empty folder that a test works in, so saved games never meet.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

// A file's whole content, empty when it is absent.
inline std::string contentOf(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// A new empty folder under the system's temporary folder.
inline std::filesystem::path newFolder()
{
    std::filesystem::path path;
    do {
        path = std::filesystem::temp_directory_path() / ("quillonex-test-" + std::to_string(std::random_device()()));
    } while (!std::filesystem::create_directory(path));
    return path;
}

class ScratchFolder {
public:
    ScratchFolder() { std::filesystem::current_path(path_); }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string read(const std::filesystem::path& name) const { return contentOf(path_ / name); }
    void write(const std::filesystem::path& name, const std::string& content) const
    {
        std::ofstream(path_ / name, std::ios::binary) << content;
    }
    std::set<std::string> entries() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

private:
    std::filesystem::path path_ = newFolder();
    std::filesystem::path previous_ = std::filesystem::current_path();
};

// A saved square board of the side: the player first, the goal last, walls between.
inline std::string squareRecord(std::size_t side)
{
    // Built in place: GCC 12 takes "8" + string + "0" for an overlapping copy.
    std::string text(side * side, '9');
    text.front() = '8';
    text.back() = '0';
    return text;
}
