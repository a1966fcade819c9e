#pragma once
// Windows' own DLLs by their full path in the system folder, and the process's DLL search
// kept to that folder: a DLL of the same name beside the program (a download folder holds
// anything) is never loaded in their place.

#include <windows.h>

// Loads fileName ("iphlpapi.dll") from the system folder, never from the program's or the
// current folder; the DLLs it imports are looked for in the system folder first as well.
// NULL when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* fileName);
// The export function of the system DLL fileName, loaded as above and kept loaded; NULL
// when the DLL or the export is missing. Callers keep the answer (a static), so the DLL
// is loaded once.
FARPROC SystemLibraryFunction(const char* fileName, const char* function);

// From here on a DLL loaded by name alone (ours or one a system DLL loads on its own) comes
// from the system folder only. SetDefaultDllDirectories is looked up, never imported:
// Windows 7 has it only from its 2011 security update on. Without it, SetDllDirectory("")
// at least takes the current folder out of the search. True when the first took effect.
bool RestrictDllSearchToSystem();
