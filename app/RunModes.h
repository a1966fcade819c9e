#pragma once
// The three ways the program runs: normal (resident), install ("upgrade" alone: a
// downloaded copy installs itself as velix.exe) and rename ("upgrade old new": a
// downloaded copy replaces old.exe under the name new.exe). The two upgrade modes live in
// update/SelfUpgrade.h; the choice by command line is made here.

#include "app/KxApp.h"

// Chooses the run mode from app.commandLine and app.args and carries it out.
int Run(KxApp& app);
