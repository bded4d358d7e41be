#pragma once
#include <string>

namespace testenv {

// Called by the test mains before the application object is made: makes the
// process safe to test in (no display unless one is chosen, the system clock
// refusing to be set, a private home and configuration folder).
void isolateProcess(int& argc, char** argv);

// Runs every test, then removes the folders made for them.
int runAllTests();

// A fresh, empty temporary folder, removed when the process ends.
std::string makeTempDir(const std::string& tag);

} // namespace testenv
