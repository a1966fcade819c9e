#pragma once
// Windows Explorer, plainly or on one drive.

// 0: plain Explorer; 'A'..'Z': Explorer on that drive when it exists; anything else nothing.
void OpenExplorer(int letterCode);
// Whether the drive has a root directory of a known kind (removable, fixed, remote,
// CD-ROM, RAM disk).
bool DriveExists(char letter);
