#pragma once
// The vendor's web site: the about window links to it, the help command opens its help
// page, and the update check and the plug-in downloads fetch from it.

constexpr char kVendorSiteUrl[] = "http://www.velix.example";
// Appended to the site address, followed by the help flag.
constexpr char kHelpPagePath[] = "/soft/help.php?Flag=";
constexpr char kHelpPageFlag[] = "0";
