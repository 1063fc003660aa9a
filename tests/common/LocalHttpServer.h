#pragma once

#include <QProcess>
#include <QString>

/// Python's http.server serving a folder on 127.0.0.1 at a free port, for tests of the firmware
/// catalogue and download. Stopped when the object goes.
class LocalHttpServer
{
public:
    explicit LocalHttpServer(const QString &folder);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer &) = delete;
    LocalHttpServer &operator=(const LocalHttpServer &) = delete;

    /// Starts the server and waits until it says where it listens.
    bool start(int timeoutMs = 10000);
    /// "http://127.0.0.1:<port>/" followed by `path`.
    QString url(const QString &path = {}) const;

private:
    QString m_folder;
    QProcess m_process;
    quint16 m_port = 0;
};
