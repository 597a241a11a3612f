// The running program's own file.
#pragma once
#include <string>

// Full name of the running program; empty when it does not fit MAX_PATH, since a cut path names
// some other file.
std::string ExeFileName();
