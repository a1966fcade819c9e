#pragma once
// The toolkit's colours, as COLORREF (0x00BBGGRR). The system-derived set is read once,
// when the program starts, and never refreshed.

#include <windows.h>

extern const COLORREF kxDkShadowColor;
extern const COLORREF kxShadowColor;
extern const COLORREF kxDesktopColor;
extern const COLORREF kxBtnTextColor;
extern const COLORREF kxCaptionTextColor;
extern const COLORREF kxBtnFaceColor;
extern const COLORREF kxMenuColor;
extern const COLORREF kxMenuTextColor;
extern const COLORREF kxHighlightColor;
extern const COLORREF kx3DLightColor;
extern const COLORREF kxFormColor;  // default background of every control

// Fixed colours of the toolkit.
constexpr COLORREF kxFrameColor = RGB(110, 120, 255);
constexpr COLORREF kxHotFrameColor = RGB(229, 151, 0);
constexpr COLORREF kxButtonTextColor = RGB(100, 110, 255);
constexpr COLORREF kxToolHoverColor = RGB(153, 204, 255);
constexpr COLORREF kxTickColor = RGB(20, 180, 60);
constexpr COLORREF kxTipColor = RGB(255, 255, 0);
constexpr COLORREF kxLinkColor = RGB(0, 0, 255);
constexpr COLORREF kxLinkHoverColor = RGB(255, 0, 0);
constexpr COLORREF kxLinkPressedColor = RGB(153, 204, 0);
constexpr COLORREF kxBannerColor = RGB(18, 142, 231);
constexpr COLORREF kxBannerTextColor = RGB(0, 128, 0);
constexpr COLORREF kxSelectedItemColor = RGB(80, 182, 231);
constexpr COLORREF kxGreyLineColor = RGB(128, 128, 128);
constexpr COLORREF kxGridLineColor = RGB(192, 192, 192);
constexpr COLORREF kxGridSelectionColor = RGB(51, 51, 153);
constexpr COLORREF kxTextSelectionColor = RGB(0, 204, 255);
constexpr COLORREF kxDisabledEditColor = RGB(153, 153, 153);
constexpr COLORREF kxWhiteColor = RGB(255, 255, 255);
constexpr COLORREF kxBlackColor = RGB(0, 0, 0);
