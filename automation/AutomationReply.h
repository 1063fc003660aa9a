#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

/// The answer to one request: a result, or an error with a short code a script can test and a
/// sentence a person can read. Sent as one JSON object on one line.
class AutomationReply
{
public:
    static AutomationReply success(const QJsonValue &result = QJsonObject{});
    static AutomationReply failure(const QString &code, const QString &message);

    bool ok() const { return m_ok; }
    QString code() const { return m_code; }
    /// `{"id": id, "ok": true, "result": ...}` or `{"id": id, "ok": false, "error": {"code", "message"}}`;
    /// the id is left out when the request had none.
    QByteArray toLine(const QJsonValue &id = QJsonValue::Undefined) const;

private:
    bool m_ok = true;
    QJsonValue m_result;
    QString m_code;
    QString m_message;
};
