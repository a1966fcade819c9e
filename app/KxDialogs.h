#pragma once
// The two message boxes the whole program uses: topmost, owned by the active window of the
// thread, else by the main form's window when there is one. An exit answers them with OK
// and No.

#include "kx/base/KxString.h"

// Caption "提示", information icon, an OK button.
void ShowInfo(const KxString& text);
// Caption "询问", question icon, Yes and No; true only when the answer is Yes.
bool AskYesNo(const KxString& text);
