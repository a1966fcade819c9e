#pragma once
// The self-upgrade run modes, in which a downloaded copy of the program puts itself in
// place of the installed one: install ("upgrade" alone: the copy installs itself as
// velix.exe) and rename ("upgrade old new", as the update panel starts "<new>tmp.exe": the
// copy replaces old.exe under the name new.exe). The run modes choose them by the command
// line (app/RunModes.h).

#include "kx/base/KxString.h"

class KxApp;

// The first word of both command lines.
constexpr char kUpgradeSwitch[] = "upgrade";

// "upgrade" alone: install the running copy as velix.exe and hand over to it.
int RunInstall(KxApp& app);
// "upgrade old new" (app.args holds the three words): the running copy becomes new.exe in
// place of old.exe; autostart follows the program to its new name.
int RunRename(KxApp& app);

// A base name from the command line must name a file in the program directory: no
// folder, drive or device, not "." or "..".
bool IsPlainBaseName(const KxString& name);

// Puts a copy of source at target without ever leaving target missing: the copy is made
// beside target under a temporary name and then replaces target in one step. On failure
// target is as it was and no temporary file is left. A source that is target itself is
// refused, since replacing a file with itself would install nothing.
bool ReplaceFileWithCopy(const KxString& target, const KxString& source);
