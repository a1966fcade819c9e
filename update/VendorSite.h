#pragma once
// The vendor's web site: the about window links to it, the help command opens its help
// page, and the update check and the plug-in downloads fetch from it.

#include "kx/base/KxString.h"

constexpr char kVendorSiteUrl[] = "http://www.velix.example";
// Appended to the site address, followed by the help flag.
constexpr char kHelpPagePath[] = "/soft/help.php?Flag=";
constexpr char kHelpPageFlag[] = "0";
// A file's signature on the site is at the file's address followed by this.
constexpr char kSignatureSuffix[] = ".minisig";

// The site the help page and the updates come from: kVendorSiteUrl, unless config.ini
// beside the program names another "http://" address in section "0", key "SITEURL" (a
// mirror, a company's own server, a test server). No trailing "/".
KxString VendorSiteUrl();

// The site's address for a path below it ("soft/x.vlx" or "/soft/info.xml").
KxString SiteAddress(const KxString& path);
