#pragma once
#include <string>

namespace testenv {

// Sets the environment every test relies on; called once by the test main.
void prepareProcess();
// Removes the private folders made by prepareProcess().
void cleanupProcess();

// A private configuration folder (XDG_CONFIG_HOME) for this test program.
std::string configHome();

// A fresh, empty temporary folder, removed when the process ends.
std::string makeTempDir(const std::string& tag);

} // namespace testenv
