#include "app/KxAutostart.h"

#include "app/KxApp.h"
#include "app/KxRegistry.h"
#include "app/KxShell.h"
#include "kx/base/KxFile.h"

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

namespace {

// The application object knows the path; without one (tests, early start-up) ask the system.
KxString RunningModulePath() {
  return TheApp ? TheApp->modulePath : OwnExecutablePath();
}

}  // namespace

bool SetAutostart(const KxString& path, bool on) {
  KxString target = path.IsEmpty() ? RunningModulePath() : path;
  KxString name = FileNameOf(target, true);
  // An empty name would address the key's default value, which is no program's.
  if (name.IsEmpty()) return false;
  KxRegistry run;
  if (!run.Open(kRunKey, KEY_ALL_ACCESS)) return false;
  // Quoted, so that the shell never reads "C:\\Program" of "C:\\Program Files\\..." as the program.
  return on ? run.WriteString(name, QuotedArgument(target)) : run.DeleteValue(name);
}

bool AutostartExists(const KxString& name) {
  KxString valueName = name.IsEmpty() ? FileNameOf(RunningModulePath(), true) : name;
  if (valueName.IsEmpty()) return false;
  KxRegistry run;
  if (!run.Open(kRunKey, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY)) return false;
  return run.HasValue(valueName);
}
