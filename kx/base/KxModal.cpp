#include "kx/base/KxModal.h"

namespace {

int depth = 0;
void (*afterRuns)() = nullptr;

}  // namespace

KxModalRun::KxModalRun() { ++depth; }

KxModalRun::~KxModalRun() {
  if (--depth > 0 || !afterRuns) return;
  void (*hook)() = afterRuns;
  afterRuns = nullptr;
  hook();
}

int KxModalDepth() { return depth; }

void KxAfterModalRuns(void (*hook)()) {
  if (depth > 0) {
    afterRuns = hook;
  } else if (hook) {
    hook();
  }
}
