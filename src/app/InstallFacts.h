#pragma once
// The installation facts: the installed version and the maker's web address, written by the
// install step into a read-only INI file beside the program (share/tessoly/tessoly.ini under the
// prefix). The section is the installer's key path "Software\Varnel Works\Tessoly" and the values
// are "Version" and "Website". The program never writes the file.

#include <QString>

namespace tessoly {

//! The maker's domain, looked for in the website address.
inline constexpr char kMakerDomain[] = "varnelworks.com";
//! The feedback mailbox without its domain; completed with the site domain.
inline constexpr char kFeedbackMailbox[] = "mailto:feedback@";
//! The section that holds the two values.
inline constexpr char kInstallSection[] = "Software\\Varnel Works\\Tessoly";

struct InstallFacts {
    QString InstalledVersion;
    QString WebsiteUrl;
    //! kMakerDomain when WebsiteUrl contains it (exact, case-sensitive), otherwise empty.
    QString SiteDomain;
    QString FeedbackUrl = QString::fromLatin1(kFeedbackMailbox);
};

//! The INI file of an installed program: TESSOLY_INSTALL_FILE when set, otherwise
//! <program folder>/../share/tessoly/tessoly.ini.
QString DefaultInstallFactsPath();
//! One value of the installation section; empty for a missing file, section or value.
QString ReadInstallValue(const QString& iniPath, const QString& name);
//! Reads both facts and derives the domain and feedback address. Returns the message to show when
//! a fact is missing (the website is not read when the version is missing), or empty.
QString ReadInstallFacts(const QString& iniPath, InstallFacts& facts);

QString VersionMissingMessage();
QString WebsiteMissingMessage();

} // namespace tessoly
