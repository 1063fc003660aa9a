#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;

/// The firmware catalogue: crawls the maker's directory listings (one directory per firmware
/// version, image files named "<model>M<modification>V<revision>_code.bin") breadth-first, one
/// request at a time, and offers the unit-update screen the modifications, hardware revisions
/// and versions there are for a module model. GUI thread; nothing blocks.
///
/// The crawl stays below the base URL, follows each directory once, goes at most `MaxDepth`
/// levels deep and reads at most `MaxPages` listings of at most `MaxPageBytes` each, so a
/// looping or endless server cannot keep it busy or fill the memory.
class FileMapHandler : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList versions READ versions NOTIFY versionsChanged)
    Q_PROPERTY(QStringList modifications READ modifications NOTIFY modificationsChanged)
    Q_PROPERTY(QStringList revisions READ revisions NOTIFY revisionsChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(QString baseUrl READ baseUrl CONSTANT)
public:
    static constexpr const char *DefaultBaseUrl = "https://firmware.norvane.com/vantrel4/Bin/Firmware/";
    static constexpr const char *BaseUrlVariable = "VT4_FIRMWARE_URL"; ///< environment, wins over the setting
    static constexpr const char *BaseUrlKey = "FirmwareBaseUrl";       ///< settings store key
    static constexpr int MaxDepth = 4;                                 ///< directory levels below the base
    static constexpr int MaxPages = 500;                               ///< listings read per crawl
    static constexpr qint64 MaxPageBytes = 2 * 1024 * 1024;            ///< a larger listing is refused
    static constexpr int RequestTimeoutMs = 15000;                     ///< a listing silent this long fails

    /// The base URL comes from VT4_FIRMWARE_URL, else the settings store, else the default.
    explicit FileMapHandler(QObject *parent = nullptr);
    FileMapHandler(const QString &baseUrl, QObject *parent);

    QStringList versions() const { return m_versions; }
    QStringList modifications() const { return m_modifications; }
    QStringList revisions() const { return m_revisions; }
    bool loading() const { return m_loading; }
    QString baseUrl() const { return m_baseUrl; }
    /// Images found by the last crawl, as "<version>/<model>M<modification>V<revision>".
    QStringList imagePaths() const { return m_imagePaths; }

    /// For tests: how long a listing may stay silent before its request fails.
    void setRequestTimeout(int ms) { m_requestTimeoutMs = ms; }

    /// Sorts firmware versions newest first by their numbers ("1.10.0" before "1.9.0").
    static void sortNewestFirst(QStringList &versions);

signals:
    void versionsChanged();
    void modificationsChanged();
    void revisionsChanged();
    void loadingChanged();
    void progressChanged();
    void errorOccurred(const QString &errorMessage);
    void loadingFinished();

public:
    /// Starts a crawl from the base URL, abandoning one under way.
    Q_INVOKABLE void loadFileMap();
    /// Fills the three lists for a model, and for a modification and revision of it.
    Q_INVOKABLE void updateFilters(const QString &type, const QString &modification = QString(),
                                   const QString &hardwareVersion = QString());
    Q_INVOKABLE void cancelLoading();
    /// The image URL of one catalogue entry.
    Q_INVOKABLE QString imageUrl(const QString &version, const QString &model, const QString &modification,
                                 const QString &revision) const;

private slots:
    void onReplyFinished(QNetworkReply *reply);

private:
    struct Directory
    {
        QString url;
        int depth;
    };

    void fetchNext();
    void setLoading(bool loading);
    void scanDirectories(const Directory &page, const QString &text);
    void scanFiles(const QString &pageUrl, const QString &text);

    QString m_baseUrl;
    QNetworkAccessManager *m_network;
    QList<Directory> m_queue;
    QSet<QString> m_queued;
    QHash<QNetworkReply *, int> m_depthOfReply; ///< the request of this crawl in flight, with its depth
    QStringList m_imagePaths;
    QStringList m_versions;
    QStringList m_modifications;
    QStringList m_revisions;
    bool m_loading = false;
    bool m_cancelled = false;
    bool m_pageLimitReported = false;
    int m_requestTimeoutMs = RequestTimeoutMs;
};
