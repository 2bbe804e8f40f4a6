#include "tests/support/scratch.hpp"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

ScratchFolder::ScratchFolder() : previous_(std::filesystem::current_path())
{
    std::random_device random;
    for (;;) {
        path_ = std::filesystem::temp_directory_path() / ("quillonex-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path_)) {
            break;
        }
    }
    std::filesystem::current_path(path_);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::read(const std::filesystem::path& name) const
{
    std::ifstream file(path_ / name, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void ScratchFolder::write(const std::filesystem::path& name, const std::string& content) const
{
    std::ofstream(path_ / name, std::ios::binary) << content;
}

bool ScratchFolder::exists(const std::filesystem::path& name) const
{
    return std::filesystem::exists(path_ / name);
}

std::vector<std::string> ScratchFolder::entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
