#pragma once
// The private memory of another process, for the benches that watch velix.exe from outside.

#include <windows.h>

#include <string>

// Private memory of process in KB: Windows' own figure where it gives one; under Wine,
// which reports no private usage, the anonymous memory of the Linux process whose command
// line starts with exe (its full Windows path). -1 when neither can be read.
double PrivateKb(HANDLE process, const std::string& exe);
