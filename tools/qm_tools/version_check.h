#pragma once

#include <QByteArray>
#include <QString>

namespace qmtools {

// What the suite calls itself on the update server and which build this is.
inline constexpr const char* kSuiteWebName = "qmtools";
inline constexpr int kSuiteBuild = 1;
inline constexpr const char* kSuiteVersionText = "1.0 Beta 01 (Build 01)";

// Where the suite's version file and download page live.
QString VersionFileUrl(const QString& base);
QString DownloadPageUrl(const QString& base);

// The reply's [Version] section, read by the profile rules (names without
// regard to case, first match wins, values trimmed, leading integer).
struct RemoteVersion {
    int build = 0;
    QString text = QString::fromUtf8("<unknown version>");
};
RemoteVersion ParseVersionFile(const QByteArray& body);

// One GET with a time-out and a size cap, run to its end inside the call.
struct Download {
    bool ok = false;
    QString error; // what went wrong, for the user
    QByteArray body;
};
Download FetchVersionFile(const QString& url, int timeoutMs);

// The time-out of the check: $QM_UPDATE_TIMEOUT_MS when set, else 15 s.
int UpdateTimeoutMs();

} // namespace qmtools
