#include "app/InstallFacts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace tessoly {

QString DefaultInstallFactsPath() {
    const QString overridden = qEnvironmentVariable("TESSOLY_INSTALL_FILE");
    if (!overridden.isEmpty())
        return overridden;
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/tessoly/tessoly.ini"));
}

QString ReadInstallValue(const QString& iniPath, const QString& name) {
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    const QString wantedSection = QStringLiteral("[") + QLatin1String(kInstallSection) + QStringLiteral("]");
    bool inSection = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inSection = line == wantedSection;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && line.left(equals).trimmed() == name)
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

QString VersionMissingMessage() {
    return QStringLiteral("Could not determine the application's\r\n") + QStringLiteral("version number!") +
           QStringLiteral("\r\n\r\n") + QStringLiteral("Please re-install this software!");
}

QString WebsiteMissingMessage() {
    return QStringLiteral("Could not determinated the application's\r\n") + QStringLiteral("website!") +
           QStringLiteral("\r\n\r\n") + QStringLiteral("Please re-install this software!");
}

QString ReadInstallFacts(const QString& iniPath, InstallFacts& facts) {
    facts.InstalledVersion = ReadInstallValue(iniPath, QStringLiteral("Version"));
    if (facts.InstalledVersion.isEmpty())
        return VersionMissingMessage();
    facts.WebsiteUrl = ReadInstallValue(iniPath, QStringLiteral("Website"));
    if (facts.WebsiteUrl.isEmpty())
        return WebsiteMissingMessage();
    const QString domain = QString::fromLatin1(kMakerDomain);
    if (facts.WebsiteUrl.contains(domain, Qt::CaseSensitive)) {
        facts.SiteDomain = domain;
        facts.FeedbackUrl += domain;
    }
    return {};
}

} // namespace tessoly
