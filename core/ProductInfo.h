#pragma once
// The product's addresses and version texts, fixed when the program is built (one place:
// the CMake cache variables GREMLOK_WEB_SITE and GREMLOK_SUPPORT_EMAIL).
#include <QString>

namespace ProductInfo {

// The web site without a trailing slash; empty when the build names none.
QString WebSite();
// The skins page (web site + "/skins"); empty when there is no web site.
QString SkinsPage();
// The support e-mail address; empty when the build names none.
QString SupportEmail();
// "Version 1.0.0 - First edition".
QString VersionText();
// The credits line of the About box.
QString Credits();

} // namespace ProductInfo
