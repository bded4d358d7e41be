#pragma once
// Files the tests put down and look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testfiles {

// Writes `bytes` to `path`, making the folders it needs.
inline void putFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    ASSERT_TRUE(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) << path;
}

// The bytes of the regular file at `path`, or "<none>".
inline std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!std::filesystem::is_regular_file(path) || !in)
        return "<none>";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file of `size` zero bytes that takes no room on disk.
inline void putSparseFile(const std::string& path, std::size_t size)
{
    putFile(path, "");
    std::filesystem::resize_file(path, size);
}

// Every file and folder under `root`, as sorted paths relative to it.
inline std::vector<std::string> tree(const std::string& root)
{
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        paths.push_back(entry.path().lexically_relative(root).string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

// How many descriptors the process has open.
inline std::ptrdiff_t openDescriptors()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator());
}

} // namespace testfiles
