#include "tools/qm_tools/version_check.h"

#include "common/profile.h"
#include "common/qt_text.h"
#include "platform/http_client.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace qmtools {

namespace {
constexpr int kDefaultTimeoutMs = 15000;
} // namespace

QString VersionFileUrl(const QString& base)
{
    return base + QString::fromUtf8("/quorman/") + QLatin1String(kSuiteWebName) +
           QString::fromUtf8("/kit.data");
}

QString DownloadPageUrl(const QString& base)
{
    return base + QString::fromUtf8("/cgi-bin/quormankit.cgi?kit=") + QLatin1String(kSuiteWebName);
}

RemoteVersion ParseVersionFile(const QByteArray& body)
{
    const qm::ProfileFile file = qm::ProfileFile::fromText(body.toStdString());
    RemoteVersion v;
    v.build = file.integer("Version", "VersionBuild", 0);
    v.text = qm::DisplayText(file.string("Version", "VersionString", "<unknown version>"));
    return v;
}

int UpdateTimeoutMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("QM_UPDATE_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : kDefaultTimeoutMs;
}

Download FetchVersionFile(const QString& url, int timeoutMs)
{
    // The reply goes through a local copy, as setup's check keeps one; this
    // check needs it only until it is read. (The suite's temporary-folder
    // helper stays out: its settings code would pin this library in memory.)
    QTemporaryFile local(QDir::tempPath() + QString::fromUtf8("/qm_tools_XXXXXX.ver"));
    Download result;
    if (!local.open()) {
        result.error =
            QString::fromUtf8("No temporary file for the server's answer: ") + local.errorString();
        return result;
    }
    local.close();
    qm::HttpLimits limits;
    limits.connectTimeoutMs = timeoutMs;
    limits.totalTimeoutMs = timeoutMs;
    const qm::HttpResult got = qm::QtHttpClient(limits).getToFile(
        url.toStdString(), QFile::encodeName(local.fileName()).toStdString());
    // Read by name: the client may have replaced the file the handle points to.
    QFile reply(local.fileName());
    if (got.ok() && reply.open(QIODevice::ReadOnly))
        result.body = reply.readAll();

    using S = qm::HttpResult::Status;
    if (got.status == S::Timeout)
        result.error = QString::fromUtf8("The server did not answer within %1 seconds.")
                           .arg(timeoutMs / 1000.0, 0, 'g', 3);
    else if (got.status == S::TooLarge || got.status == S::TooManyRedirects)
        result.error = QString::fromUtf8("The server's answer was not a version file.");
    else if (!got.ok())
        result.error = qm::DisplayText(got.error);
    else if (got.httpStatus != 200)
        result.error = QString::fromUtf8("The server answered %1.").arg(got.httpStatus);
    else
        result.ok = true;
    return result;
}

} // namespace qmtools
