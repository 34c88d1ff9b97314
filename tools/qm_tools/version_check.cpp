#include "tools/qm_tools/version_check.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <climits>

namespace qmtools {

namespace {

constexpr qint64 kMaxReply = 1024 * 1024;
constexpr int kDefaultTimeoutMs = 15000;

int leadingInt(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    long long value = 0;
    for (; i < text.size() && text[i].isDigit(); ++i) {
        value = value * 10 + text[i].digitValue();
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace

QString UpdateServerBaseUrl()
{
    QString base = qEnvironmentVariable("QM_UPDATE_SERVER");
    if (base.isEmpty())
        base = QString::fromUtf8(QM_UPDATE_SERVER_URL);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

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
    RemoteVersion v;
    bool seenSection = false, inSection = false, haveBuild = false, haveText = false;
    for (QByteArray raw : body.split('\n')) {
        const QString line = QString::fromLocal8Bit(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            // Only the first [Version] section counts.
            inSection =
                !seenSection && name.compare(QLatin1String("Version"), Qt::CaseInsensitive) == 0;
            seenSection = seenSection || inSection;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inSection || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (!haveBuild && key.compare(QLatin1String("VersionBuild"), Qt::CaseInsensitive) == 0) {
            v.build = leadingInt(value);
            haveBuild = true;
        } else if (!haveText &&
                   key.compare(QLatin1String("VersionString"), Qt::CaseInsensitive) == 0) {
            v.text = value;
            haveText = true;
        }
    }
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
    // Everything lives on this stack frame: the library is unloaded as soon as
    // the call returns, so no object, timer or connection of it may outlive it.
    Download result;
    QNetworkAccessManager manager;
    manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(timeoutMs);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false, tooLarge = false;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        if (reply->bytesAvailable() + result.body.size() > kMaxReply) {
            tooLarge = true;
            reply->abort();
            return;
        }
        result.body += reply->readAll();
    });
    deadline.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();
    if (!tooLarge && !timedOut && reply->error() == QNetworkReply::NoError)
        result.body += reply->readAll();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (timedOut || (reply->error() == QNetworkReply::OperationCanceledError && !tooLarge))
        result.error = QString::fromUtf8("The server did not answer within %1 seconds.")
                           .arg(timeoutMs / 1000.0, 0, 'g', 3);
    else if (tooLarge)
        result.error = QString::fromUtf8("The server's answer was larger than expected.");
    else if (reply->error() != QNetworkReply::NoError && status == 0)
        result.error = reply->errorString();
    else if (status != 200)
        result.error =
            QString::fromUtf8("The server answered %1 %2.")
                .arg(status)
                .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    else
        result.ok = true;
    // Disconnect before the reply goes, so the lambdas above cannot run again.
    reply->disconnect();
    reply.reset();
    return result;
}

} // namespace qmtools
