#pragma once

#include <QString>

namespace tolvane {

// The project's own web addresses and contact, given when the build is configured
// (TOLVANE_HOMEPAGE, TOLVANE_DONATE_URL, TOLVANE_CONTACT). Nothing is made up: what
// was not given stays empty, and what is empty is not shown.
struct ProjectLinks {
    QString homepage;
    QString donate;
    QString contact;
};

// The configured links, each address already checked by UsableWebAddress.
ProjectLinks ConfiguredLinks();
QString HomepageUrl();
// Empty when the build has no donation page: then the window offers no donate entry.
QString DonateUrl();

// The version the build was configured with, "0.1.0".
QString ProjectVersion();
QString RightsNotice();

// `text` trimmed when it is an absolute http or https address, else empty: a link
// never opens a local file or runs anything.
QString UsableWebAddress(const QString& text);

// Asks the desktop to open `address` in the browser. Nothing happens for an address
// that is not usable; a desktop that cannot open it is not reported, as for every
// link of the window. Returns whether the desktop was asked.
bool OpenWebAddress(const QString& address);

// Command 32898 ("donate"): opens DonateUrl(); nothing without one.
bool OpenDonatePage();

}  // namespace tolvane
