#pragma once
// The identify exchange between the program and a child run of itself that identifies a
// downloaded package (plugin/PluginHost.h starts and waits for it): the child's command
// line, the answer it writes into a file, its exit codes, and what the parent makes of
// them. Pure: bytes in, results out, no windows and no processes, so that a table of
// malformed inputs reaches every decoder.

#include <windows.h>

#include "kx/base/KxString.h"
#include "update/PluginId.h"

// What a package says about itself in its exchange record, as the host's own copies.
struct PluginIdentity {
  KxString version;
  KxString id;
  KxString name;
};

// Longest texts a package may give besides its id (kMaxPluginIdBytes): they become
// KX_PLUGIN's columns.
constexpr int kMaxPluginVersionBytes = 20;
constexpr int kMaxPluginNameBytes = 80;

// The identity is usable: a plain id, and version and name within their lengths and
// without control bytes.
bool IsValidIdentity(const PluginIdentity& identity);

// The child run's answer: "VELIX-PLUGIN-IDENTITY 1\n", then version, id and name, each
// as its decimal byte count (at most 4096), "\n", the bytes and "\n". Parse is false for
// anything else, including trailing bytes, and then leaves identity as it was.
KxString FormatIdentity(const PluginIdentity& identity);
bool ParseIdentity(const KxString& bytes, PluginIdentity& identity);
// No answer file larger than this is read: the plug-in's own code ran in the child and may
// have written anything there.
constexpr int kMaxAnswerBytes = 4 * 4096;

// The child run's command line after the program's name: "-identify", then the DLL path
// and the result path, each in double quotes or free of blanks. Parse is true, with both
// paths, when commandLine has this form.
extern const char kIdentifySwitch[];
KxString IdentifyArguments(const KxString& dllPath, const KxString& resultPath);
bool ParseIdentifyCommand(const KxString& commandLine, KxString& dllPath, KxString& resultPath);

// The child run's exit codes; a crash ends it with the exception code instead.
constexpr DWORD kIdentifyAnswered = 0;  // the answer file holds the identity
constexpr DWORD kNotIdentified = 1;     // the plug-in did not identify itself, or it was killed
constexpr DWORD kAnswerNotWritten = 2;  // the answer file could not be written

// A crash, a time-out, a non-zero exit, a missing or malformed answer or an invalid
// identity are the plug-in's failure (refused); an answer file that cannot be made or
// written, or a child that does not start, is this machine's (notRun), and says nothing
// of the plug-in.
enum class IdentifyResult { kIdentified, kRefused, kNotRun };
// The verdict on a child run: started says whether it ran at all, exitCode is how it
// ended, answer what its answer file held (read only after kIdentifyAnswered, and empty
// when it could not be read). identity is set only when identified.
IdentifyResult JudgeIdentifyRun(bool started, DWORD exitCode, const KxString& answer, PluginIdentity& identity);
