#pragma once
// One entry of the update description: the program's own or a plug-in's. The check, the
// update panel and the plug-in list all hold entries, so the type stands alone here.

#include "VelixVersion.h"
#include "kx/base/KxList.h"
#include "kx/base/KxString.h"

constexpr char kProgramVersion[] = VELIX_VERSION_TEXT;

// One program or plug-in file of the description. flag is "0" for the program itself and
// the plug-in's P_ID otherwise; ver is compared only for equality; path is below the site;
// digest names the one package the vendor offers there, so that no other signed package
// (an older release at the same path) passes for it. The description is signed, so each
// of them is the vendor's word.
struct UpdateEntry {
  KxString flag;
  KxString name;
  KxString ver;
  KxString path;
  KxString digest;  // the package's PackageDigest (attribute "hash"); empty when missing or malformed
};
using UpdateList = KxList<UpdateEntry>;
