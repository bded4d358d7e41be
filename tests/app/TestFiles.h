#pragma once
// Files the start-list tests put down and look at.
#include <gtest/gtest.h>

#include <QFile>

#include <string>

#include <unistd.h>

namespace testfiles {

inline void putFile(const std::string& path, const std::string& bytes)
{
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path;
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

// The file's bytes, or "<none>" when it cannot be read.
inline std::string fileText(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<none>");
}

// A file of `size` zero bytes that takes no room on disk.
inline void putSparseFile(const std::string& path, std::size_t size)
{
    putFile(path, "");
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
}

} // namespace testfiles
