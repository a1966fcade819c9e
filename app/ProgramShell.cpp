#include "app/ProgramShell.h"

namespace {

ProgramShell nothing;
ProgramShell* installed = nullptr;

}  // namespace

ProgramShell& TheShell() { return installed ? *installed : nothing; }

void SetShell(ProgramShell* shell) { installed = shell; }

ProgramShell* InstalledShell() { return installed; }
