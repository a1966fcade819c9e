#pragma once
// A program shell for tests: each command and tool-window request becomes a word in the
// test's actions ("route:91 ", "options ", "plugin:7 ", ...; the exit's closing of windows
// says "(late)" once the quit was already requested), and the questions get the answers
// the test gives. Installed for the life of the object.
//
// RecordingShellOf<RunShell> with runForReal set routes commands and runs the exit through
// the run's own code instead, so that only where they end is recorded.

#include <string>

#include "app/KxApp.h"
#include "app/ProgramShell.h"

template <class Base>
class RecordingShellOf : public Base {
public:
  explicit RecordingShellOf(std::string& actions) : actions(actions), installed(*this) {}

  void RouteCommand(int id) override {
    if (runForReal) {
      Base::RouteCommand(id);
    } else {
      actions += "route:" + std::to_string(id) + " ";
    }
  }
  void ToggleToolWindow(ToolWindow kind) override {
    actions += kind == ToolWindow::kMaintenance ? "maintenance "
               : kind == ToolWindow::kOptions   ? "options "
                                               : "noteManager ";
  }
  void ShowAllNotes() override { actions += "allNotes "; }
  void NewNote() override { actions += "newNote "; }
  void ShowPlugin(const KxString& pluginId) override { actions += "plugin:" + std::string(pluginId.CStr()) + " "; }
  void Exit() override {
    if (runForReal) {
      Base::Exit();
    } else {
      actions += "exit ";
    }
  }
  void StopDownloads() override { actions += "stop "; }
  void DestroyToolWindows() override { actions += Late() ? "toolWindows(late) " : "toolWindows "; }
  void DestroyNotes() override { actions += Late() ? "notes(late) " : "notes "; }
  UINT DriveType(const char* root) override { return driveType ? driveType(root) : Base::DriveType(root); }
  KxString IdentifyProgram() override { return identifyProgram; }

  std::string& actions;
  bool runForReal = false;
  UINT (*driveType)(const char* root) = nullptr;
  KxString identifyProgram;

private:
  static bool Late() { return TheApp && TheApp->quitRequested; }
  ShellScope installed;
};

using RecordingShell = RecordingShellOf<ProgramShell>;
