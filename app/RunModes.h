#pragma once
// The three ways the program runs: normal (resident), install ("upgrade" alone: a
// downloaded copy installs itself as velix.exe) and rename ("upgrade old new": a
// downloaded copy replaces old.exe under the name new.exe).

#include "app/KxApp.h"

// Chooses the run mode from app.commandLine and app.args and carries it out.
int Run(KxApp& app);

// Puts a copy of source at target without ever leaving target missing: the copy is made
// beside target under a temporary name and then replaces target in one step. On failure
// target is as it was and no temporary file is left. A source that is target itself is
// refused, since replacing a file with itself would install nothing.
bool ReplaceFileWithCopy(const KxString& target, const KxString& source);
