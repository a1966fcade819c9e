#pragma once
// The texts of NameTexts.h as the program holds them, and the names make-names.sh makes on
// the Linux side, in UTF-8 as a user's files come onto the disk, for the tests that require
// the CTest fixture wide_names. Nothing writes into that folder.

#include "NameTexts.h"
#include "kx/base/KxString.h"

inline KxString Gb(const NameText& text) { return KxString(text.gb18030, text.gbLength); }

// C:\velix-names\사진 📷, holding Björk.mp3 and a copy of the probe named 프로브😀ö.exe.
inline KxString LinuxMadeFolder() { return "C:\\velix-names\\" + Gb(kKoreanFolder); }
inline KxString LinuxMadeFile() { return LinuxMadeFolder() + "\\" + Gb(kAccentedFile); }
inline KxString LinuxMadeProbe() { return LinuxMadeFolder() + "\\" + Gb(kProbeProgram); }
