#pragma once
// Starting files through the shell, and removing the running executable once it has exited.

#include "kx/base/KxString.h"

// Opens an existing path with its own folder as the current directory for the start; the
// caller's current directory is restored afterwards. A missing path does nothing. True
// when the shell started it.
bool LaunchFile(const KxString& path, const KxString& parameters);
// Opens path (a file, folder or address) as is: no existence test, no change of directory.
// True when the shell started it.
bool OpenFile(const KxString& path);

// One argument of a command line we build, in quotes: blanks in it never split it.
KxString QuotedArgument(const KxString& argument);

// Starts a hidden, idle-priority command shell (the system folder's cmd.exe) that deletes
// modulePath, and raises this process's priority so that it ends first; the caller returns
// from its run at once.
// True when the shell started; otherwise priorities and the file stay as they were.
bool ScheduleSelfDelete(const KxString& modulePath);
