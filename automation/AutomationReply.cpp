#include "AutomationReply.h"

#include <QJsonDocument>

AutomationReply AutomationReply::success(const QJsonValue &result)
{
    AutomationReply reply;
    reply.m_result = result;
    return reply;
}

AutomationReply AutomationReply::failure(const QString &code, const QString &message)
{
    AutomationReply reply;
    reply.m_ok = false;
    reply.m_code = code;
    reply.m_message = message;
    return reply;
}

QByteArray AutomationReply::toLine(const QJsonValue &id) const
{
    QJsonObject object{{QStringLiteral("ok"), m_ok}};
    if (!id.isUndefined())
        object.insert(QStringLiteral("id"), id);
    if (m_ok)
        object.insert(QStringLiteral("result"), m_result);
    else
        object.insert(QStringLiteral("error"),
                      QJsonObject{{QStringLiteral("code"), m_code}, {QStringLiteral("message"), m_message}});
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}
