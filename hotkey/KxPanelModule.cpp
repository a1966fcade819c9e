#include "hotkey/KxPanelModule.h"

#include "app/KxDialogs.h"
#include "hotkey/FrmShutCut.h"
#include "kx/KxCheckBox.h"

namespace {

const char kSettingNotStored[] = "设置未能写入数据文件,保持原来的设置. 请查看数据文件所在的目录是否可写入.";

const COLORREF kCaptionColor = RGB(0, 128, 128);
const int kLinkHeight = 20;

// The mark of a row's code. A range without modifiers whose hotkey is off was never set;
// switched on, its keys go bare.
KxString MarkOf(const HotKeyCode& code, int type, bool hotKeyOn, const HotKeyCommands& commands) {
  bool ranged = HotKeyRangeOf(type) != nullptr;
  if (ranged ? (code.Get() & 0xF) == 0 && !hotKeyOn : code.Get() == 0) return KxString();
  return HotKeyCheckMark(CheckHotKey(code.Get(), ModuleCommand(type), commands));
}

// The top-level window a row lives in: the editor disables it while it runs.
KxControl* FormOf(KxControl* control) {
  while (control->parent && (GetWindowLongW(control->hwnd, GWL_STYLE) & WS_CHILD))
    control = control->parent;
  return control;
}

// Reads the first row of the kind into record; false when the kind has none yet.
bool LoadKind(ModuleRecord& record, int type) {
  record = ModuleRecord();
  record.type = type;
  bool found = LoadModuleOfType(record);
  record.type = type;
  return found;
}

}  // namespace

// ---- HotKeyLink

HotKeyLink::HotKeyLink(KxControl* parent, const KxRect& rect) : KxLabellink(parent, "", rect) {}

void HotKeyLink::OnDraw(KxCanvas& canvas) {
  canvas.SetBkMode(TRANSPARENT);
  canvas.DrawText(font, taken ? kHotKeyTakenColor : textColor, GetText(), ClientRect(), format);
}

void HotKeyLink::ShowCode(const KxString& text, const KxString& mark) {
  taken = !mark.IsEmpty();
  SetText(text + mark);
  Invalidate(false);
}

// ---- KxPanelModule

KxPanelModule::KxPanelModule(int type, KxControl* parentControl, const KxRect& rect) {
  borderStyle = 0;
  if (!Create(parentControl, rect)) return;
  const HotKeyRange* range = HotKeyRangeOf(type);
  keyFixed = range != nullptr;
  if (range) keySuffix = range->suffix;

  caption = new KxLabel(this, "", KxRect{10, 2, 70, 20});
  caption->autoSize = false;
  caption->textColor = kCaptionColor;
  menuBox = new KxCheckBox(this, "右键菜单", KxRect{80, 2, 70, 20});
  hotKeyBox = new KxCheckBox(this, "快捷键", KxRect{160, 2, 55, 20});
  link = new HotKeyLink(this, KxRect{220, 2, 180, kLinkHeight});

  if (LoadKind(record, type)) {
    menuBox->SetChecked(record.InMenu());
    hotKeyBox->SetChecked(record.HotKeyOn());
    code.Set(static_cast<uint32_t>(record.hotKey));
  } else {
    menuBox->SetChecked(true);
  }

  BindClick(*menuBox, this, &KxPanelModule::OnBoxClick);
  BindClick(*hotKeyBox, this, &KxPanelModule::OnBoxClick);
  BindClick(*link, this, &KxPanelModule::OnLinkClick);
}

void KxPanelModule::SetCaption(const KxString& text) { caption->SetText(text); }

void KxPanelModule::RefreshLink(const HotKeyCommands& commands) {
  HotKeyCode shown = code;
  if (keyFixed) shown.SetKey(0);
  KxString text = shown.Text();
  if (!keySuffix.IsEmpty()) text += "+" + keySuffix;
  link->ShowCode("(" + text + ")", MarkOf(code, record.type, hotKeyBox->IsChecked(), commands));
}

void KxPanelModule::Saved() {
  if (onSaved) {
    onSaved();
  } else {
    RefreshLink(LoadHotKeyCommands());
  }
}

// A row shows what is stored: a change that cannot be written is said, and the row goes
// back to the stored values.
void KxPanelModule::Save() {
  ModuleRecord changed = record;
  changed.SetInMenu(menuBox->IsChecked());
  changed.SetHotKeyOn(hotKeyBox->IsChecked());
  changed.hotKey = static_cast<int>(code.Get());
  if (SaveModule(changed)) {
    record = changed;
  } else {
    menuBox->SetChecked(record.InMenu());
    hotKeyBox->SetChecked(record.HotKeyOn());
    code.Set(static_cast<uint32_t>(record.hotKey));
    ShowInfo(kSettingNotStored);
  }
  Saved();
}

void KxPanelModule::EditCode() {
  // The link's field is a 96-DPI value; the editor goes to a point of the screen.
  POINT at = {Px(link->x - 8), Px(-8)};
  ClientToScreen(hwnd, &at);
  if (!EditHotKey(FormOf(this), at, code, ModuleCommand(record.type))) return;
  Save();
}

int KxPanelModule::OnBoxClick(KxEvtParam&) {
  Save();
  return 0;
}

int KxPanelModule::OnLinkClick(KxEvtParam&) {
  EditCode();
  return 0;
}

// ---- KxPanelHk

KxPanelHk::KxPanelHk(int type, const KxString& captionText, KxControl* parentControl,
                     const KxRect& rect) {
  borderStyle = 0;
  if (!Create(parentControl, rect)) return;
  hotKeyBox = new KxCheckBox(this, captionText + " 快捷键", KxRect{0, 2, 20, 20});
  hotKeyBox->SetAutoSize(true);
  link = new HotKeyLink(this, KxRect{hotKeyBox->width, 2, 180, kLinkHeight});

  if (LoadKind(record, type)) {
    hotKeyBox->SetChecked(record.HotKeyOn());
    code.Set(static_cast<uint32_t>(record.hotKey));
  }

  BindClick(*hotKeyBox, this, &KxPanelHk::OnBoxClick);
  BindClick(*link, this, &KxPanelHk::OnLinkClick);
}

void KxPanelHk::RefreshLink(const HotKeyCommands& commands) {
  link->ShowCode("(" + code.Text() + ")", MarkOf(code, record.type, hotKeyBox->IsChecked(), commands));
}

void KxPanelHk::Saved() {
  if (onSaved) {
    onSaved();
  } else {
    RefreshLink(LoadHotKeyCommands());
  }
}

void KxPanelHk::Save() {
  ModuleRecord changed = record;
  changed.SetHotKeyOn(hotKeyBox->IsChecked());
  changed.hotKey = static_cast<int>(code.Get());
  if (SaveModule(changed)) {
    record = changed;
  } else {
    hotKeyBox->SetChecked(record.HotKeyOn());
    code.Set(static_cast<uint32_t>(record.hotKey));
    ShowInfo(kSettingNotStored);
  }
  Saved();
}

void KxPanelHk::EditCode() {
  POINT at = {Px(link->x), 0};
  ClientToScreen(hwnd, &at);
  if (!EditHotKey(FormOf(this), at, code, ModuleCommand(record.type))) return;
  Save();
}

int KxPanelHk::OnBoxClick(KxEvtParam&) {
  Save();
  return 0;
}

int KxPanelHk::OnLinkClick(KxEvtParam&) {
  EditCode();
  return 0;
}
