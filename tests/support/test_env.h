#pragma once
#include <string>

namespace testenv {

// A fresh, empty temporary folder, removed when the process ends.
std::string makeTempDir(const std::string& tag);

} // namespace testenv
