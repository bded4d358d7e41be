#pragma once
#include <string>

namespace testenv {

// Makes the process safe to test in; called once by the test main. The
// folders it makes go when the process ends.
void prepareProcess();
void cleanupProcess();

// A fresh, empty temporary folder, removed when the process ends.
std::string makeTempDir(const std::string& tag);

} // namespace testenv
