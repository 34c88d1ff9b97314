#include "platform/http_client.h"

#include "platform/file_system.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace qm {

namespace {
ServiceSlot<HttpClient, QtHttpClient> g_client;
}

HttpResult QtHttpClient::getToFile(const std::string& url, const std::string& localPath)
{
    HttpResult result;
    if (!QCoreApplication::instance()) {
        result.error = "no application object for the network";
        return result;
    }
    const QUrl address(QString::fromUtf8(url.c_str()), QUrl::TolerantMode);
    if (!address.isValid() || address.host().isEmpty()) {
        result.error = "invalid address";
        return result;
    }

    QNetworkProxyFactory::setUseSystemConfiguration(true);
    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(m_limits.maxRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QCoreApplication::applicationName().isEmpty()
                          ? QStringLiteral("QMSetup")
                          : QCoreApplication::applicationName());

    QNetworkReply* reply = manager.get(request);
    QByteArray body;
    bool answered = false;
    HttpResult::Status abortedFor = HttpResult::Status::Ok;
    QEventLoop loop;

    auto abortWith = [&](HttpResult::Status s) {
        if (abortedFor == HttpResult::Status::Ok)
            abortedFor = s;
        reply->abort();
    };
    QTimer connectTimer, totalTimer;
    connectTimer.setSingleShot(true);
    totalTimer.setSingleShot(true);
    QObject::connect(&connectTimer, &QTimer::timeout, [&] {
        if (!answered)
            abortWith(HttpResult::Status::Timeout);
    });
    QObject::connect(&totalTimer, &QTimer::timeout,
                     [&] { abortWith(HttpResult::Status::Timeout); });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, [&] {
        answered = true;
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > m_limits.maxBodyBytes)
            abortWith(HttpResult::Status::TooLarge);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, [&] {
        answered = true;
        if (body.size() + reply->bytesAvailable() > m_limits.maxBodyBytes) {
            abortWith(HttpResult::Status::TooLarge);
            return;
        }
        body += reply->readAll();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connectTimer.start(m_limits.connectTimeoutMs);
    totalTimer.start(m_limits.totalTimeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    connectTimer.stop();
    totalTimer.stop();
    // The handlers above refer to this frame; nothing may reach them once it is left.
    QObject::disconnect(reply, nullptr, nullptr, nullptr);

    if (abortedFor == HttpResult::Status::Ok && reply->bytesAvailable() > 0) {
        if (body.size() + reply->bytesAvailable() > m_limits.maxBodyBytes)
            abortedFor = HttpResult::Status::TooLarge;
        else
            body += reply->readAll();
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    result.httpStatus = status.isValid() ? status.toInt() : 0;
    const QNetworkReply::NetworkError error = reply->error();
    result.error = reply->errorString().toStdString();
    reply->deleteLater();

    if (abortedFor != HttpResult::Status::Ok) {
        result.status = abortedFor;
        return result;
    }
    if (error == QNetworkReply::TooManyRedirectsError ||
        error == QNetworkReply::InsecureRedirectError) {
        result.status = HttpResult::Status::TooManyRedirects;
        return result;
    }
    // An HTTP error status still brings a body that is stored as it is; only
    // failures below HTTP (no answer at all) count as connection failures.
    if (error != QNetworkReply::NoError && result.httpStatus == 0) {
        result.status = HttpResult::Status::ConnectFailed;
        return result;
    }

    std::string why;
    if (!fs::SaveFileAtomic(localPath,
                            std::string_view(body.constData(), static_cast<size_t>(body.size())),
                            fs::SaveOptions{0666, true, false}, &why)) {
        result.status = HttpResult::Status::FileFailed;
        result.error = why;
        return result;
    }
    result.status = HttpResult::Status::Ok;
    result.bytes = body.size();
    result.error.clear();
    return result;
}

HttpClient& CurrentHttpClient()
{
    return g_client.current();
}

HttpClient* SetHttpClient(HttpClient* client)
{
    return g_client.install(client);
}

} // namespace qm
