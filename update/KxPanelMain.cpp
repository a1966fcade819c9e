#include "update/KxPanelMain.h"

#include "app/KxApp.h"
#include "app/KxDialogs.h"
#include "app/KxShell.h"
#include "app/ProgramShell.h"
#include "kx/KxButton.h"
#include "kx/KxLabel.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxStream.h"
#include "update/SelfUpgrade.h"
#include "update/UpdatePackage.h"

namespace {

// Posted by the worker: the size label in kilobytes (wParam), one progress step, the end
// (wParam a DownloadEnd).
constexpr UINT kMsgSize = WM_APP + 40;
constexpr UINT kMsgStep = WM_APP + 41;
constexpr UINT kMsgEnd = WM_APP + 42;

const char kProductName[] = "Velix";

const char* UnpackRefusal(UnpackResult result) {
  return result == UnpackResult::kTooLarge ? "更新包过大" : "更新包损坏";
}

}  // namespace

KxPanelMain::KxPanelMain(KxControl* parentControl, const KxRect& rect) : self(this, [](KxPanelMain*) {}) {
  // A child like any other: the kit window deletes it.
  if (parentControl) parentControl->children.Add(this);
  Create(parentControl, rect);
  titleLabel = new KxLabel(this, KxString(kProductName) + kProgramVersion, KxRect{14, 10, 70, 20});
  titleLabel->SetTextColor(RGB(0, 128, 128));
  // A long version is cut before the progress bar, never drawn under it.
  versionLabel = new KxLabel(this, "", KxRect{14, 40, 100, 20});
  versionLabel->SetMaxWidth(98);
  hintLabel = new KxLabel(this, "点击\"检查更新\"获得最新版本信息", KxRect{114, 10, 200, 20});
  progress = new KxProgressBar(this);
  progress->Create(this, "", WS_CHILD, KxRect{114, 43, 78, 14});
  sizeLabel = new KxLabel(this, "", KxRect{194, 40, 70, 20});
  downloadButton = new KxButton(this, "下载更新", KxRect{376, 40, 62, 20});
  downloadButton->Hide();
  BindClick(*downloadButton, this, &KxPanelMain::OnDownloadClick);
  download.Bind(*this, {kMsgSize, kMsgStep, kMsgEnd}, progress, sizeLabel, downloadButton,
                [this] { return Upgrade(); });
}

KxPanelMain::~KxPanelMain() {
  self.reset();
  // The worker's destructor waits for the body, which posts to this window at most.
  download.Stop();
}

void KxPanelMain::ShowEntry(const UpdateEntry& offered) {
  entry = offered;
  bool newer = entry.ver != kProgramVersion;
  versionLabel->SetText(newer ? KxString("最新版本") + entry.ver : KxString("已是最新版本"));
  if (newer) {
    progress->Show();
    downloadButton->Show();
  } else {
    progress->Hide();
    downloadButton->Hide();
  }
}

void KxPanelMain::StartDownload() { download.Start(entry, {UpgradeFile(entry)}); }

KxString KxPanelMain::UpgradeFile(const UpdateEntry& of) {
  return ProgramDirectory() + "\\" + FileNameOf(FileNameOf(of.path, true), false) + "tmp.exe";
}

void KxPanelMain::StopDownload() { download.Stop(); }

int KxPanelMain::OnDownloadClick(KxEvtParam&) {
  StartDownload();
  return 0;
}

// The package becomes "<name>tmp.exe" beside the program, which the rename mode puts in
// place of this program once the run has ended. The user is told only when that happens.
bool KxPanelMain::Upgrade() {
  const UpdateEntry& downloading = download.Downloading();
  KxString newBase = FileNameOf(FileNameOf(downloading.path, true), false);
  KxString ownBase = FileNameOf(TheApp ? TheApp->modulePath : KxString(), false);
  KxString programPath = UpgradeFile(downloading);
  UnpackResult result = UnpackResult::kOk;
  KxString package = download.TakePackage();
  if (!UnpackPackage(package, programPath, result)) {
    sizeLabel->SetText(result == UnpackResult::kOk ? KxString("下载未完成") : KxString(UnpackRefusal(result)));
    return true;
  }
  sizeLabel->SetText("下载完成");
  ShowInfo(KxString(kProductName) + "已更新，最新版本" + downloading.ver + "，重启应用新版本。");
  // The new copy waits for this run to end before it takes the program's place; a copy
  // that does not start leaves this run going.
  KxString arguments = KxString(kUpgradeSwitch) + " " + QuotedArgument(ownBase) + " " + QuotedArgument(newBase);
  if (!LaunchFile(programPath, arguments)) {
    RemoveFile(programPath);
    sizeLabel->SetText("新版本未能启动");
    return true;
  }
  TheShell().Exit();
  return false;
}

KxPanelMain* MakeUpdatePanel(KxControl* kit, const KxRect& rect) { return new KxPanelMain(kit, rect); }
