#pragma once
// Helpers for the tests that work with real files, processes and windows under Wine.

#include <windows.h>

#include <functional>

#include "kx/base/KxString.h"

// Folder of the running test program: velix.exe and the probe programs sit beside it.
KxString TestBinDir();
// A copy of the probe program (velix_probe.exe) in dir, made when missing, named name.
KxString CopyOfProbe(const KxString& dir, const char* name = "velix_probe.exe");

// A fresh, empty folder %TEMP%\velix-tests\<process id>\<name> (an old one is removed
// first); a process that ends normally removes its folders (a killed one leaves them).
KxString MakeScratchDir(const char* name);
bool RemoveTree(const KxString& dir);

bool FileExistsAt(const KxString& path);
KxString ReadFileBytes(const KxString& path);
bool WriteFileBytes(const KxString& path, const KxString& bytes);

// Polls cond every 20 ms until it holds or timeoutMs have passed.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs);

// Starts exe with the command line "exe args" in dir (empty: current) and returns its
// process handle (the caller closes it), or NULL.
HANDLE StartProcess(const KxString& exe, const KxString& args, const KxString& dir);
// Waits for the process to end; false on time-out. exitCode may be NULL.
bool WaitProcess(HANDLE process, int timeoutMs, DWORD* exitCode);

// Ends every process whose executable is exactly path (case-insensitive); returns how many.
int KillProcessesOf(const KxString& path);
// The first top-level window of process pid with this class and text; with text nullptr,
// the first visible one of the class.
HWND WindowOf(DWORD pid, const char* className, const char* text);
// The first window below parent (at any depth) of this class (any case) and, unless text
// is nullptr, this text.
HWND ChildOfClass(HWND parent, const char* className, const char* text);
// The visible top-level window of process pid that holds a KxCard child with this text.
HWND TopLevelWithChild(DWORD pid, const char* childText);
// Top-level windows of class className that belong to processes running path.
int CountWindowsOf(const KxString& path, const char* className);
