#include "launcher/FrmAbout.h"

#include "app/KxApp.h"
#include "app/resource.h"
#include "kx/KxButton.h"
#include "kx/KxImageBox.h"
#include "kx/KxLabel.h"
#include "update/VendorSite.h"
#include "VelixVersion.h"

namespace {

const char kAboutCaption[] = "关于...";
const char kProductLine[] = "Velix " VELIX_VERSION_TEXT " 版";
const char kNotice[] = "感谢使用Velix桌面工具";

}  // namespace

FrmAbout::FrmAbout(KxControl* parent)
    : KxForm(parent, kAboutCaption, KxRect{300, 240, 340, 128}, WS_OVERLAPPEDWINDOW) {
  SetFixedSize(true);
  HINSTANCE resources = ResourceInstance();
  SetIcon(LoadIconW(resources, MAKEINTRESOURCEW(IDI_APP)));
  SetTopMost();

  // The controls are children of the form, which deletes them.
  KxImageBox* mark = new KxImageBox(this, KxRect{18, 18, 32, 32});
  mark->LoadResource(IDB_APP);
  new KxLabel(this, kProductLine, KxRect{68, 18, 120, 21});
  KxLabel* notice = new KxLabel(this, kNotice, KxRect{70, 40, 120, 21});
  notice->SetText(kNotice);  // wide enough for the whole notice
  new KxLabelUrl(this, kVendorSiteUrl, KxRect{70, 64, 200, 22}, kVendorSiteUrl);
  KxButton* ok = new KxButton(this, "确定", KxRect{width - 100, 20, 75, 23});
  BindClick(*ok, this, &FrmAbout::OnOk);
}

int FrmAbout::OnOk(KxEvtParam&) {
  EndModal(1);
  return 0;
}

void ShowAbout(KxControl* parent) {
  FrmAbout about(parent);
  if (!about.hwnd) return;
  about.ShowModal();
}
