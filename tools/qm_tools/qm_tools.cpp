// The suite's tools library: the About box and the check for a newer version.
// Programs load it for one call and unload it right after, so nothing created
// here may outlive the call that made it. That includes text: QStringLiteral
// would hand out strings living in this library's read-only data, so every
// string is built on the heap (QString::fromUtf8) instead.
#include "common/update_server.h"
#include "platform/url_opener.h"
#include "tools/qm_tools/version_check.h"

#include <QApplication>
#include <QMessageBox>

namespace {

constexpr const char* kSuiteName = "Quorvel Manager";

QString thisVersion()
{
    return QString::fromLatin1(qmtools::kSuiteVersionText);
}

QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton def)
{
    QMessageBox box(icon, caption, text, buttons, QApplication::activeWindow());
    box.setObjectName(QString::fromUtf8("qmToolsMessage"));
    box.setDefaultButton(def);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

extern "C" __attribute__((visibility("default"))) void DoAbout()
{
    const QString program = QCoreApplication::applicationName();
    QMessageBox box(
        QMessageBox::Information,
        QString::fromUtf8("About %1").arg(program.isEmpty() ? QLatin1String(kSuiteName) : program),
        QString(), QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QString::fromUtf8("qmToolsAbout"));
    box.setText(QString::fromUtf8("<b>%1</b>")
                    .arg(program.isEmpty() ? QLatin1String(kSuiteName) : program.toHtmlEscaped()));
    box.setInformativeText(QString::fromUtf8("%1 Tools, version %2<br><br>"
                                             "Level launcher PLAYDECK32, table viewer GRIDLENS32L "
                                             "and setup QMSetup for Red Faction players and level "
                                             "makers.")
                               .arg(QLatin1String(kSuiteName), thisVersion()));
    box.exec();
}

extern "C" __attribute__((visibility("default"))) void DoQMVC()
{
    const QString caption = QString::fromUtf8("Check for new version");
    const QString base = QString::fromStdString(qm::UpdateServerBaseUrl());
    const qmtools::Download download =
        qmtools::FetchVersionFile(qmtools::VersionFileUrl(base), qmtools::UpdateTimeoutMs());
    if (!download.ok) {
        ask(QMessageBox::Warning, caption,
            QString::fromUtf8("Could not connect to the Quorvel Manager website to check for a "
                              "newer version.\n\n%1\n\nPlease check your internet connection and "
                              "try again later.")
                .arg(download.error),
            QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    const qmtools::RemoteVersion remote = qmtools::ParseVersionFile(download.body);
    if (remote.build <= 0) {
        // An answer without a build number tells nothing; saying "newest"
        // would be a guess.
        ask(QMessageBox::Warning, caption,
            QString::fromUtf8(
                "The Quorvel Manager website did not say which version is the newest. "
                "Please try again later."),
            QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    const QString versions = QString::fromUtf8("\n\n  THIS Version: %1\n  NEWEST Version: %2")
                                 .arg(thisVersion(), remote.text);
    // Strictly greater, as setup compares: an equal or unreadable build is no news.
    if (remote.build > qmtools::kSuiteBuild) {
        const auto answer =
            ask(QMessageBox::Question, caption,
                QString::fromUtf8("There is a newer version of Quorvel Manager available on the "
                                  "internet.") +
                    versions + QString::fromUtf8("\n\nDo you want to open the download page now?"),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer == QMessageBox::Yes)
            qm::OpenUrl(qmtools::DownloadPageUrl(base).toStdString());
        return;
    }
    ask(QMessageBox::Information, caption,
        QString::fromUtf8("You are using the newest version of Quorvel Manager.") + versions,
        QMessageBox::Ok, QMessageBox::Ok);
}
