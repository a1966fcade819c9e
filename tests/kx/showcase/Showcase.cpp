// One form with every control of the toolkit, for looking at and for the bench to
// capture as a screenshot: buttons with a tip, check boxes, a tool bar, labels and
// links, progress bars, group boxes, picture boxes (a bitmap resource and an animated
// GIF), an edit, a choice field and a table. It runs until its window is closed.

#include <windows.h>

#include "kx/KxButton.h"
#include "kx/KxCheckBox.h"
#include "kx/KxEdit.h"
#include "kx/KxForm.h"
#include "kx/KxGridPresets.h"
#include "kx/KxGroupBox.h"
#include "kx/KxImageBox.h"
#include "kx/KxLabel.h"
#include "kx/KxProgressBar.h"
#include "kx/KxSelect.h"
#include "kx/KxToolBar.h"

namespace {

constexpr int kPictureId = 305;
constexpr int kAnimationId = 306;

KxString ResourceBytes(int id, LPCSTR type) {
  HINSTANCE instance = GetModuleHandleA(NULL);
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), type);
  if (!found) return KxString();
  HGLOBAL loaded = LoadResource(instance, found);
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!bytes) return KxString();
  return KxString(bytes, static_cast<int>(SizeofResource(instance, found)));
}

// A 16 x 16 copy of a system icon, for the picture that owns it.
HICON SmallIcon(LPCSTR id) {
  return static_cast<HICON>(LoadImageA(NULL, id, IMAGE_ICON, 16, 16, 0));
}

class ShowcaseForm : public KxForm {
public:
  ShowcaseForm() : KxForm(nullptr, "Kx showcase", KxRect{40, 40, 580, 520}, WS_OVERLAPPEDWINDOW) {
    SetFixedSize(true);
    BuildToolBar();
    BuildButtons();
    BuildLabels();
    BuildProgress();
    BuildPictures();
    BuildEditing();
    BuildTable();
  }
  LRESULT WndProc(KxMsg& m) override {
    if (m.msg == WM_DESTROY) PostQuitMessage(0);
    return KxForm::WndProc(m);
  }
  // The first button's tip, shown once the form is up as if the pointer rested on it.
  void ShowTipSoon() { tipTimer = BindTimer(*this, this, &ShowcaseForm::ShowTip, 300); }

private:
  void BuildToolBar() {
    KxToolBar* bar = new KxToolBar(this, KxRect{8, 6, 0, 0});
    const LPCSTR icons[] = {IDI_APPLICATION, IDI_INFORMATION, IDI_WARNING, IDI_QUESTION};
    for (LPCSTR icon : icons) {
      KxToolBtn* button = bar->AddButton();
      button->picture.SetIcon(LoadIconA(NULL, icon), false);
    }
    KxToolBtn* pinned = bar->buttons.Tail()->value;
    pinned->checkable = true;
    pinned->checked = true;
  }

  void BuildButtons() {
    KxGroupBox* group = new KxGroupBox(this, "按钮", KxRect{8, 40, 270, 120});
    okButton = new KxButton(group, "确定", KxRect{12, 24, 76, 26});
    okButton->SetTip("保存并关闭");
    KxButton* open = new KxButton(group, "打开", KxRect{96, 24, 76, 26});
    open->picture.SetIcon(SmallIcon(IDI_INFORMATION), true);
    KxButton* iconOnly = new KxButton(group, "", KxRect{180, 20, 36, 36});
    iconOnly->picture.SetIcon(LoadIconA(NULL, IDI_WARNING), false);
    KxCheckBox* autorun = new KxCheckBox(group, "开机时自动运行", KxRect{12, 66, 150, 20});
    autorun->SetChecked(true);
    KxCheckBox* tray = new KxCheckBox(group, "显示托盘图标", KxRect{12, 90, 150, 20});
    tray->SetAutoSize(true);
  }

  void BuildLabels() {
    KxGroupBox* group = new KxGroupBox(this, "标签", KxRect{290, 40, 270, 120});
    new KxLabel(group, "当前版本 1.0.3", KxRect{12, 24, 200, 20});
    KxLabel* warning = new KxLabel(group, "有新版本可用", KxRect{12, 46, 200, 20});
    warning->SetTextColor(RGB(200, 0, 0));
    new KxLabellink(group, "检查更新", KxRect{12, 68, 80, 20});
    new KxLabelUrl(group, "http://www.example.com/", KxRect{12, 90, 200, 20}, "");
  }

  void BuildProgress() {
    KxGroupBox* group = new KxGroupBox(this, "进度", KxRect{8, 170, 270, 140});
    new KxLabel(group, "下载中 60%", KxRect{12, 22, 120, 18});
    KxProgressBar* download = new KxProgressBar(group);
    download->Create(group, "", WS_CHILD | WS_VISIBLE, KxRect{12, 42, 240, 16});
    download->position = 60;
    new KxLabel(group, "空范围", KxRect{12, 66, 120, 18});
    KxProgressBar* empty = new KxProgressBar(group);
    empty->Create(group, "", WS_CHILD | WS_VISIBLE, KxRect{12, 86, 240, 16});
    empty->SetRange(0, 0);
  }

  void BuildPictures() {
    KxGroupBox* group = new KxGroupBox(this, "图片", KxRect{290, 170, 270, 140});
    KxImageBox* picture = new KxImageBox(group, KxRect{12, 24, 120, 80});
    picture->LoadResource(kPictureId);
    KxImageBox* animation = new KxImageBox(group, KxRect{150, 24, 64, 64});
    animation->LoadData(ResourceBytes(kAnimationId, MAKEINTRESOURCEA(10)));  // RT_RCDATA
    new KxLabel(group, "位图资源与动画", KxRect{12, 112, 200, 18});
  }

  void BuildEditing() {
    KxGroupBox* group = new KxGroupBox(this, "编辑", KxRect{8, 320, 270, 150});
    new KxLabel(group, "名称", KxRect{12, 26, 40, 20});
    new KxEdit(group, "记事本", KxRect{56, 24, 196, 22});
    new KxLabel(group, "桌面", KxRect{12, 60, 40, 20});
    KxSelectCard* desktops = new KxSelectCard(group, KxRect{56, 58, 196, 22});
    const char* names[] = {"桌面 1", "桌面 2", "桌面 3", "桌面 4"};
    for (const char* name : names) desktops->AddItem(name);
    desktops->SelectIndex(1);
  }

  void BuildTable() {
    KxTableCard* table = new KxTableCard(this, KxRect{290, 326, 270, 144});
    KxGridHeadRow* head = table->headRows.Head()->value;
    table->AddColumn(head, "便签", 150);
    table->AddColumn(head, "日期", 100);
    const char* rows[][2] = {
        {"买牛奶", "2024-03-01"}, {"会议纪要", "2024-03-04"}, {"读书笔记", "2024-03-09"}};
    for (const auto& cells : rows) {
      KxGridCardRow* row = table->AddRow();
      table->AddItem(row, cells[0]);
      table->AddItem(row, cells[1]);
    }
    table->SetCurrent(1, 0);
  }

  int ShowTip(KxEvtParam& p) {
    KillTimer(hwnd, tipTimer);
    okButton->OnMouseHover(p);
    return 0;
  }

  KxButton* okButton = nullptr;
  UINT tipTimer = 0;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  KxRegisterCardClass(instance);
  {
    ShowcaseForm form;
    form.Show();
    form.ShowTipSoon();
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  KxUnregisterCardClass(instance);
  return 0;
}
