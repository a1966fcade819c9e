#include "update/VendorSite.h"

#include "app/KxIni.h"

namespace {

const char kIniKey[] = "SITEURL";
const char kScheme[] = "http://";

}  // namespace

KxString VendorSiteUrl() {
  KxString site = KxIni(ProgramIniPath()).Read(kProgramIniSection, kIniKey, "");
  site.Trim();
  while (site.Length() > 0 && site.At(site.Length() - 1) == '/') site = site.Mid(site.Length() - 1, 0);
  // Only a plain web address with a host: anything else would send the requests nowhere.
  int schemeLength = static_cast<int>(sizeof kScheme) - 1;
  if (site.Length() <= schemeLength || site.Find(0, kScheme) != 0) return kVendorSiteUrl;
  return site;
}

KxString SiteAddress(const KxString& path) {
  KxString site = VendorSiteUrl();
  if (path.IsEmpty() || path.At(0) != '/') site.Append("/");
  site.Append(path);
  return site;
}
