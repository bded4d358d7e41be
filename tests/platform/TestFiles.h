#pragma once
// Small file helpers for the platform tests.
#include <QByteArray>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testfiles {

inline QByteArray read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return QByteArray::fromStdString(bytes);
}

inline void write(const std::string& path, const QByteArray& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.constData(), bytes.size());
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

} // namespace testfiles
