#include "FileMapHandler.h"
#include "FirmwareLogging.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSettings>
#include <QUrl>
#include <QVersionNumber>

#include <algorithm>

namespace {
constexpr int MsPerSecond = 1000;

QString configuredBaseUrl()
{
    const QString fromEnvironment = qEnvironmentVariable(FileMapHandler::BaseUrlVariable);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QSettings(QStringLiteral("Norvane"), QStringLiteral("vt-deskapp"))
        .value(QLatin1String(FileMapHandler::BaseUrlKey), QString::fromLatin1(FileMapHandler::DefaultBaseUrl))
        .toString();
}

QString withTrailingSlash(const QString &url)
{
    return url.endsWith(QLatin1Char('/')) ? url : url + QLatin1Char('/');
}

/// Natural order: numbers by value, so "10" follows "9".
bool naturalLess(const QString &a, const QString &b)
{
    bool aIsNumber = false;
    bool bIsNumber = false;
    const qulonglong aValue = a.toULongLong(&aIsNumber);
    const qulonglong bValue = b.toULongLong(&bIsNumber);
    if (aIsNumber && bIsNumber && aValue != bValue)
        return aValue < bValue;
    return a < b;
}

QStringList sortedNaturally(const QSet<QString> &set)
{
    QStringList list(set.cbegin(), set.cend());
    std::sort(list.begin(), list.end(), naturalLess);
    return list;
}
} // namespace

FileMapHandler::FileMapHandler(QObject *parent) : FileMapHandler(configuredBaseUrl(), parent) {}

FileMapHandler::FileMapHandler(const QString &baseUrl, QObject *parent)
    : QObject(parent), m_baseUrl(withTrailingSlash(QUrl(baseUrl).toString(QUrl::FullyEncoded))),
      m_network(new QNetworkAccessManager(this))
{
    m_network->setProxy(QNetworkProxy::NoProxy);
    connect(m_network, &QNetworkAccessManager::finished, this, &FileMapHandler::onReplyFinished);
}

void FileMapHandler::setLoading(bool loading)
{
    if (m_loading == loading)
        return;
    m_loading = loading;
    emit loadingChanged();
}

void FileMapHandler::loadFileMap()
{
    if (m_loading) {
        m_cancelled = true;
        setLoading(false);
    }
    m_queue.clear();
    m_queued.clear();
    m_depthOfReply.clear(); // a reply of the abandoned crawl is dropped when it arrives
    m_imagePaths.clear();
    m_cancelled = false;
    m_pageLimitReported = false;
    m_queue.append({m_baseUrl, 0});
    m_queued.insert(m_baseUrl);
    setLoading(true);
    fetchNext();
}

void FileMapHandler::fetchNext()
{
    if (m_cancelled || m_queue.isEmpty()) {
        setLoading(false);
        emit loadingFinished();
        return;
    }
    const Directory next = m_queue.takeFirst();
    QNetworkRequest request{QUrl(next.url)};
    request.setRawHeader("Cache-Control", "no-cache");
    request.setTransferTimeout(m_requestTimeoutMs);
    QNetworkReply *reply = m_network->get(request);
    m_depthOfReply.insert(reply, next.depth);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if (received > MaxPageBytes || total > MaxPageBytes) {
            reply->setProperty("tooLarge", true);
            reply->abort();
        }
    });
}

void FileMapHandler::onReplyFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const auto request = m_depthOfReply.constFind(reply);
    if (request == m_depthOfReply.cend() || m_cancelled)
        return;
    const int depth = *request;
    m_depthOfReply.erase(request);
    const QString url = reply->url().toString(QUrl::FullyEncoded);
    if (reply->property("tooLarge").toBool()) {
        emit errorOccurred(
            QStringLiteral("Error loading %1: %2")
                .arg(url, QStringLiteral("the listing is larger than %1 MB").arg(MaxPageBytes >> 20)));
    } else if (reply->error() == QNetworkReply::NoError) {
        const QString text = QString::fromUtf8(reply->readAll());
        scanDirectories({url, depth}, text);
        scanFiles(url, text);
    } else if (reply->error() == QNetworkReply::OperationCanceledError) {
        // Replies of this crawl are cancelled only by their transfer time-out.
        emit errorOccurred(QStringLiteral("Error loading %1: no answer from the firmware server within %2 s")
                               .arg(url)
                               .arg(m_requestTimeoutMs / double(MsPerSecond)));
    } else if (reply->error() != QNetworkReply::ContentNotFoundError) {
        emit errorOccurred(QStringLiteral("Error loading %1: %2").arg(url, reply->errorString()));
    }
    fetchNext();
}

void FileMapHandler::scanDirectories(const Directory &page, const QString &text)
{
    static const QRegularExpression Link(QStringLiteral("<a\\s+href=\"([^\"]+/)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    if (page.depth >= MaxDepth)
        return;
    const QUrl pageUrl(withTrailingSlash(page.url));
    for (auto it = Link.globalMatch(text); it.hasNext();) {
        const QString link = it.next().captured(1);
        if (link.startsWith(QLatin1Char('?')))
            continue; // the listing's sort links
        // Resolving drops "./" and "../"; only directories below the base URL are crawled.
        const QString url = pageUrl.resolved(QUrl(link))
                                .adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment)
                                .toString(QUrl::FullyEncoded);
        if (!url.startsWith(m_baseUrl) || url == m_baseUrl || m_queued.contains(url))
            continue;
        if (m_queued.size() >= MaxPages) {
            if (!m_pageLimitReported)
                emit errorOccurred(
                    QStringLiteral("Error loading %1: %2")
                        .arg(page.url,
                             QStringLiteral("more than %1 directories; the rest is skipped").arg(MaxPages)));
            m_pageLimitReported = true;
            return;
        }
        m_queued.insert(url);
        m_queue.append({url, page.depth + 1});
    }
}

void FileMapHandler::scanFiles(const QString &pageUrl, const QString &text)
{
    static const QRegularExpression Image(QStringLiteral("([A-Z0-9]+)_code\\.bin"));
    const QString directory = withTrailingSlash(pageUrl);
    for (auto it = Image.globalMatch(text); it.hasNext();) {
        QString path = directory + it.next().captured(1);
        path.remove(m_baseUrl);
        path = QUrl::fromPercentEncoding(path.toUtf8());
        if (!m_imagePaths.contains(path))
            m_imagePaths.append(path);
    }
}

void FileMapHandler::sortNewestFirst(QStringList &versions)
{
    std::stable_sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) {
        qsizetype aSuffix = 0;
        qsizetype bSuffix = 0;
        const QVersionNumber aNumber = QVersionNumber::fromString(a, &aSuffix);
        const QVersionNumber bNumber = QVersionNumber::fromString(b, &bSuffix);
        const int order = QVersionNumber::compare(aNumber, bNumber);
        if (order != 0)
            return order > 0;
        return a.mid(aSuffix) > b.mid(bSuffix);
    });
}

void FileMapHandler::updateFilters(const QString &type, const QString &modification,
                                   const QString &hardwareVersion)
{
    static const QRegularExpression Entry(
        QStringLiteral("(\\d+\\.\\d+\\.\\d+[a-z]*)\\/([A-Z0-9]+)M([a-zA-Z0-9]+)V([a-zA-Z0-9]+)"));
    QSet<QString> modifications;
    QSet<QString> revisions;
    QSet<QString> versions;
    for (const QString &path : std::as_const(m_imagePaths)) {
        const QRegularExpressionMatch match = Entry.match(path);
        if (!match.hasMatch() || type.isEmpty() || match.captured(2) != type)
            continue;
        modifications.insert(match.captured(3));
        if (modification.isEmpty() || match.captured(3) != modification)
            continue;
        revisions.insert(match.captured(4));
        if (!hardwareVersion.isEmpty() && match.captured(4) == hardwareVersion)
            versions.insert(match.captured(1));
    }
    m_modifications = sortedNaturally(modifications);
    emit modificationsChanged();
    m_revisions = sortedNaturally(revisions);
    emit revisionsChanged();
    m_versions = QStringList(versions.cbegin(), versions.cend());
    sortNewestFirst(m_versions);
    emit versionsChanged();
}

void FileMapHandler::cancelLoading()
{
    m_cancelled = true;
    setLoading(false);
}

QString FileMapHandler::imageUrl(const QString &version, const QString &model, const QString &modification,
                                 const QString &revision) const
{
    return m_baseUrl + version + QLatin1Char('/') + model + QLatin1Char('M') + modification +
           QLatin1Char('V') + revision + QStringLiteral("_code.bin");
}
