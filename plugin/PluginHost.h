#pragma once
// The plug-in host's identify run: a downloaded package is identified in a child run of
// the program, so that a plug-in that crashes or hangs costs nothing but itself. What the
// two runs exchange is plugin/PluginIdentity.h; loading and calling a plug-in is
// plugin/PluginLibrary.h, the plug-ins of this run plugin/PluginRegistry.h.

#include <windows.h>

#include "kx/base/KxString.h"
#include "plugin/PluginIdentity.h"

// The child run: IdentifyInProcess without error boxes, a crash ending the process with
// the exception code; the answer is written to resultPath only on success
// (kIdentifyAnswered). A plug-in that does not identify itself ends it with
// kNotIdentified, an answer that cannot be written with kAnswerNotWritten.
int RunIdentify(const KxString& dllPath, const KxString& resultPath);

// Identifies a package in a child run of the program shell's identify program (by
// default this process's own executable), given kIdentifyTimeoutMs before it is killed,
// and judges it by JudgeIdentifyRun. While it waits, the calling thread keeps answering:
// messages sent to its windows are handled and they are repainted, while input and posted
// messages stay queued until the wait is over, so nothing a user does runs in the middle
// of an install.
constexpr DWORD kIdentifyTimeoutMs = 10000;
IdentifyResult IdentifyPackage(const KxString& dllPath, PluginIdentity& identity);
