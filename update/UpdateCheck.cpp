#include "update/UpdateCheck.h"

#include "app/ProgramShell.h"
#include "store/SysValues.h"
#include "update/KxPanelMain.h"
#include "update/UpdateDescription.h"

void CheckForUpdates(const std::function<KxPanelMain*()>& panelNow) {
  UpdateList entries;
  long long signedAt = 0;
  FetchUpdateEntries(entries, signedAt);
  // A description whose program entry names no package describes nothing.
  if (entries.Count() == 0 || entries.Head()->value.path.IsEmpty()) return;
  // An older description is never taken again: nobody on the way can bring back what a
  // newer one withdrew, an old program version above all. A time that cannot be kept
  // would leave the floor behind: then the answer is not taken.
  if (!SetDescriptionTime(signedAt)) return;
  SetUpdateCheckDate();
  const UpdateEntry& program = entries.Head()->value;
  KxPanelMain* panel = panelNow();
  if (panel) panel->ShowEntry(program);
  UpdateList plugins;
  bool first = true;
  for (const UpdateEntry& entry : entries) {
    if (!first && !entry.flag.IsEmpty() && !entry.path.IsEmpty()) plugins.Add(entry);
    first = false;
  }
  TheShell().OfferPluginEntries(plugins);
  TheShell().LayoutKit();
  if (panel && program.ver != kProgramVersion) panel->StartDownload();
}
