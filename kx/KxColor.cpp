#include "kx/KxColor.h"

// Dynamic initialisation reads the system colours once, before the program's entry runs.
const COLORREF kxDkShadowColor = GetSysColor(COLOR_3DDKSHADOW);
const COLORREF kxShadowColor = GetSysColor(COLOR_BTNSHADOW);
const COLORREF kxDesktopColor = GetSysColor(COLOR_BACKGROUND);
const COLORREF kxBtnTextColor = GetSysColor(COLOR_BTNTEXT);
const COLORREF kxCaptionTextColor = GetSysColor(COLOR_CAPTIONTEXT);
const COLORREF kxBtnFaceColor = GetSysColor(COLOR_BTNFACE);
const COLORREF kxMenuColor = GetSysColor(COLOR_MENU);
const COLORREF kxMenuTextColor = GetSysColor(COLOR_MENUTEXT);
const COLORREF kxHighlightColor = GetSysColor(COLOR_BTNHIGHLIGHT);
const COLORREF kx3DLightColor = GetSysColor(COLOR_3DLIGHT);
const COLORREF kxFormColor = GetSysColor(COLOR_BTNFACE);
