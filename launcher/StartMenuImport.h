#pragma once
// The import of the Start menu into the launcher tree (KX_SOFT), and the offer of it on a
// first start with an empty tree.
//
// The Programs folders given as roots are read as one tree: folders of one name (in any
// case) under the same place become one group, also with a group of that name already at
// that level of the stored tree. A ".lnk" becomes a shortcut to its resolved target, a
// ".url" a shortcut to its address; arguments of a link are dropped (the tree has no place
// for them) and named in the report. Left out are uninstallers, help and read-me
// documents, links to nothing that exists, the program's own shortcut and targets the
// tree already holds (of one found twice, the first in the order the tree shows it is
// kept). Everything goes in one transaction after what each level holds:
// new groups first, then shortcuts, each by name.

#include "kx/base/KxString.h"

// The user's and all users' Start-menu Programs folders, those the system can name.
KxStringList StartMenuRoots();
// The forms of a link's stored path to try, in order, for this 32-bit program: as written,
// then with the 64-bit program folders for %ProgramFiles% and %CommonProgramFiles% (which
// expand to the 32-bit ones here), then with System32 seen through Sysnative (which the
// system redirects for a 32-bit program). On 32-bit Windows the later forms name nothing.
KxStringList LinkTargetForms(const KxString& raw);

struct StartMenuImportResult {
  enum Outcome {
    kImported,
    kNothingNew,  // nothing under the roots the tree lacks; nothing written
    kFailed,      // the links could not be read or a row not written; nothing written
    kTooMany,     // the rows would pass the store's id limit; nothing written
  };
  Outcome outcome = kNothingNew;
  int shortcuts = 0;
  int groups = 0;
  KxStringList withoutArguments;  // captions of the links whose arguments were dropped
};

// Reads roots and writes what the stored tree lacks.
StartMenuImportResult ImportStartMenu(const KxStringList& roots);
// Whether an import from roots would add anything to the stored tree; only reads.
bool StartMenuHasNew(const KxStringList& roots);
// What the person is told about an import.
KxString StartMenuImportReport(const StartMenuImportResult& result);

// On a start: when the tree is empty, the question was never answered and roots hold
// something to import, asks once; "是" imports and reports. The answer is kept in KX_SYS
// either way, so the question does not come again.
void OfferStartMenuImport(const KxStringList& roots);

extern const char kStartMenuOfferText[];
