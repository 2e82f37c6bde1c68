// The one way a failed statement travels: an exception carrying the platform's
// description text, which the guarded procedure shows in its error report.
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

class Failure : public std::exception {
public:
    explicit Failure(QString description);

    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    QByteArray m_what;
};

// The C library's description of an errno value ("No such file or directory").
QString systemErrorText(int errnoValue);
[[noreturn]] void throwSystemError(int errnoValue);
