#include "tests/support/scratch.hpp"

#include <fstream>
#include <iterator>
#include <random>
#include <set>

ScratchFolder::ScratchFolder()
{
    do {
        path_ = std::filesystem::temp_directory_path() / ("quillonex-test-" + std::to_string(std::random_device()()));
    } while (!std::filesystem::create_directory(path_));
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
    return {std::istreambuf_iterator<char>(file), {}};
}

void ScratchFolder::write(const std::filesystem::path& name, const std::string& content) const
{
    std::ofstream(path_ / name, std::ios::binary) << content;
}

std::vector<std::string> ScratchFolder::entries() const
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.insert(entry.path().filename().string());
    }
    return {names.begin(), names.end()};
}
