#pragma once
// The program's shell: the one way a feature reaches the rest of the program. Every
// command (a menu's choice, a hotkey, a command message to the kit window) is routed
// through it to its action, the tool windows, notes and plug-ins are reached through it,
// the update panel asks it for the exit, and so do the kit window's own needs (the global
// hotkeys, the update panel and the plug-in list, built above it) and the few questions a
// test answers itself (drive types, the identify program). Not to be confused with the
// desktop shell (app/KxShell.h starts files through it).
//
// The resident run installs the shell that joins the program (app/RunShell.cpp); a test
// installs a fake that records what it is asked. With none installed, TheShell() does
// nothing and answers with the platform's own.

#include <windows.h>

#include <stdint.h>

#include "kx/base/KxString.h"

class KxControl;
class KxForm;
struct KxRect;
struct UpdateEntry;
template <typename T>
class KxList;

// Command ids that are not module kinds of their own (store/ModuleRecord.h has the rest).
constexpr int kCommandKitImage = 91;
constexpr int kCommandKitSize = 92;
constexpr int kCommandShowAllNotes = 181;
constexpr int kCommandNewNote = 182;
constexpr int kCommandShutdownDialog = 201;
constexpr int kCommandPowerOff = 202;
constexpr int kCommandPluginBase = 1000;  // + the plug-in's numeric P_ID

// The tool windows the kit window owns.
enum class ToolWindow { kMaintenance, kOptions, kNoteManager };

class ProgramShell {
public:
  ProgramShell() = default;
  ProgramShell(const ProgramShell&) = delete;
  ProgramShell& operator=(const ProgramShell&) = delete;
  virtual ~ProgramShell() = default;

  // ---- Commands
  // Carries out a command id of the command menu or a hotkey; 0 and ids that name nothing
  // do nothing.
  virtual void RouteCommand(int id) { (void)id; }
  // Shows the tool window, or hides it when it is shown.
  virtual void ToggleToolWindow(ToolWindow kind) { (void)kind; }
  virtual void ShowAllNotes() {}
  virtual void NewNote() {}
  virtual void ShowPlugin(const KxString& pluginId) { (void)pluginId; }
  // The exit: workers stopped, tool windows and notes closed, the quit requested.
  virtual void Exit() {}
  // At exit: the quick search, maintenance and options windows, then the note manager and
  // the notes.
  virtual void DestroyToolWindows() {}
  virtual void DestroyNotes() {}

  // ---- The kit window
  // The owner of the tool windows; null while there is none.
  virtual KxForm* KitWindow() { return nullptr; }
  // Lays the kit window out again after a child of it changed its size.
  virtual void LayoutKit() {}
  // The global hotkeys: bound to the kit window and registered when it is made, registered
  // anew when it is closed (hidden), cleared when it goes; WM_HOTKEY hands its code on.
  virtual void BindHotKeys(HWND kit) { (void)kit; }
  virtual void RegisterHotKeys() {}
  virtual void DispatchHotKey(uint32_t code) { (void)code; }
  virtual void ClearHotKeys() {}
  // The update panel and the plug-in list, children of the kit window (null: none); the
  // list grows with its rows, and the window is laid out around it.
  virtual KxControl* MakeUpdatePanel(KxControl* kit, const KxRect& rect) {
    (void)kit, (void)rect;
    return nullptr;
  }
  virtual KxControl* MakePluginList(KxControl* kit, const KxRect& rect) {
    (void)kit, (void)rect;
    return nullptr;
  }
  // The kit window's button and its timer, while a check is due.
  virtual void CheckForUpdates() {}
  // The plug-in entries of a description the check took, for the plug-in list.
  virtual void OfferPluginEntries(const KxList<UpdateEntry>& plugins) { (void)plugins; }
  // Asks the downloads of the update panel and the plug-in list to stop.
  virtual void StopDownloads() {}

  // ---- Questions
  virtual UINT DriveType(const char* root) { return GetDriveTypeA(root); }  // a drive root, ASCII
  // The executable that identifies plug-in packages in a run of its own; empty: this
  // process's own.
  virtual KxString IdentifyProgram() { return KxString(); }
};

// The shell installed now, or the one that does nothing.
ProgramShell& TheShell();
// Installs shell (nullptr puts the one that does nothing back); the caller keeps it alive
// while it is installed.
void SetShell(ProgramShell* shell);
// The shell installed now; null for none.
ProgramShell* InstalledShell();

// Installs a shell for the length of a block and puts the one before it back.
class ShellScope {
public:
  explicit ShellScope(ProgramShell& shell) : previous(InstalledShell()) { SetShell(&shell); }
  ShellScope(const ShellScope&) = delete;
  ShellScope& operator=(const ShellScope&) = delete;
  ~ShellScope() { SetShell(previous); }

private:
  ProgramShell* previous;
};
