#include "update/KxPanelMain.h"

#include <utility>

#include "app/KxApp.h"
#include "app/KxDialogs.h"
#include "app/KxShell.h"
#include "app/ProgramShell.h"
#include "kx/KxButton.h"
#include "kx/KxLabel.h"
#include "kx/base/KxFile.h"
#include "kx/base/KxStream.h"
#include "update/PackageDownload.h"
#include "update/UpdatePackage.h"

namespace {

// Posted by the worker: the size label in kilobytes (wParam), one progress step, the end
// (wParam a DownloadEnd).
constexpr UINT kMsgSize = WM_APP + 40;
constexpr UINT kMsgStep = WM_APP + 41;
constexpr UINT kMsgEnd = WM_APP + 42;

const char kProductName[] = "Velix";

const char* UnpackRefusal(UnpackResult result) {
  return result == UnpackResult::tooLarge ? "更新包过大" : "更新包损坏";
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
  BindMsg(*this, kMsgSize, this, &KxPanelMain::OnSize);
  BindMsg(*this, kMsgStep, this, &KxPanelMain::OnStep);
  BindMsg(*this, kMsgEnd, this, &KxPanelMain::OnEnd);
  worker.Bind(this, &KxPanelMain::Download);
}

KxPanelMain::~KxPanelMain() {
  self.reset();
  // The worker's destructor waits for the body, which posts to this window at most.
  worker.Stop();
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

void KxPanelMain::StartDownload() {
  // The claim is held until the end message has been handled: a worker that has just ended
  // still owns job until then.
  if (worker.Handle() || claim.IsHeld()) return;
  downloadButton->Enable(false);
  progress->SetRange(1, 100);
  progress->SetPosition(progress->minimum);
  downloading = entry;
  if (!claim.Claim({UpgradeFile()})) {
    sizeLabel->SetText(kDownloadFileBusyText);
    downloadButton->Enable(true);
    return;
  }
  PrepareSignedDownload(job, downloading.path, downloading.digest, hwnd, kMsgSize, kMsgStep, kMsgEnd);
  if (!worker.Start(THREAD_PRIORITY_NORMAL)) {
    claim.Release();
    sizeLabel->SetText("下载未完成");
    downloadButton->Enable(true);
  }
}

KxString KxPanelMain::UpgradeFile() const {
  return ProgramDirectory() + "\\" + FileNameOf(FileNameOf(downloading.path, true), false) + "tmp.exe";
}

void KxPanelMain::StopDownload() { worker.Stop(); }

int KxPanelMain::OnDownloadClick(KxEvtParam&) {
  StartDownload();
  return 0;
}

int KxPanelMain::Download(KxEvtParam&) {
  RunSignedDownload(job, worker);
  return 0;
}

int KxPanelMain::OnSize(KxEvtParam& param) {
  sizeLabel->SetText(DownloadSizeText(static_cast<long long>(param.wParam)));
  return 0;
}

int KxPanelMain::OnStep(KxEvtParam&) {
  progress->StepIt();
  return 0;
}

int KxPanelMain::OnEnd(KxEvtParam& param) {
  switch (static_cast<DownloadEnd>(param.wParam)) {
    case DownloadEnd::stopped:
      claim.Release();
      return 0;
    case DownloadEnd::done:
      Upgrade();
      claim.Release();
      return 0;
    case DownloadEnd::refused:
    case DownloadEnd::incomplete:
      sizeLabel->SetText(DownloadFailureText(static_cast<DownloadEnd>(param.wParam), job));
      break;
  }
  claim.Release();
  downloadButton->Enable(true);
  return 0;
}

// The package becomes "<name>tmp.exe" beside the program, which the rename mode puts in
// place of this program once the run has ended. The user is told only when that happens.
void KxPanelMain::Upgrade() {
  KxString newBase = FileNameOf(FileNameOf(downloading.path, true), false);
  KxString ownBase = FileNameOf(TheApp ? TheApp->modulePath : KxString(), false);
  KxString programPath = UpgradeFile();
  UnpackResult result = UnpackResult::ok;
  KxString package = std::move(job.package);
  if (!UnpackPackage(package, programPath, result)) {
    sizeLabel->SetText(result == UnpackResult::ok ? KxString("下载未完成") : KxString(UnpackRefusal(result)));
    downloadButton->Enable(true);
    return;
  }
  sizeLabel->SetText("下载完成");
  ShowInfo(KxString(kProductName) + "已更新，最新版本" + downloading.ver + "，重启应用新版本。");
  // The new copy waits for this run to end before it takes the program's place; a copy
  // that does not start leaves this run going.
  if (!LaunchFile(programPath, "upgrade " + QuotedArgument(ownBase) + " " + QuotedArgument(newBase))) {
    RemoveFile(programPath);
    sizeLabel->SetText("新版本未能启动");
    downloadButton->Enable(true);
    return;
  }
  TheShell().Exit();
}

KxPanelMain* MakeUpdatePanel(KxControl* kit, const KxRect& rect) { return new KxPanelMain(kit, rect); }
