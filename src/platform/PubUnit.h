#pragma once
// The program directory: the folder of the running executable, ending in "\". Every data path
// is built from it by plain concatenation, so nothing depends on the current directory.
#include <string>

// Found on the first call and held for the whole run.
const std::string& GetProgramDir();

// The full path of the running executable, or empty when the system cannot give it.
std::string ExecutablePath();
