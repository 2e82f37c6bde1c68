#include "base/failure.h"

#include <cstring>

Failure::Failure(QString description) : m_description(std::move(description)), m_what(m_description.toUtf8()) { }

QString systemErrorText(int errnoValue)
{
    return QString::fromLocal8Bit(std::strerror(errnoValue));
}

void throwSystemError(int errnoValue)
{
    throw Failure(systemErrorText(errnoValue));
}
