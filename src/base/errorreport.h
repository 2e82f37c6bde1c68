// The "Application Error" report shared by every guarded procedure: a failed
// step is shown with its location and label, then the procedure goes on.
#pragma once

#include "base/failure.h"

#include <QString>

#include <new>
#include <utility>

class Prompts;

// "in Quorvane2021/08/31.<module>.<procedure> "
QString errorLocation(const QString& module, const QString& procedure);
// The location of a handler of the main window, which every subsystem's
// commands report under.
QString form1Location(const char* procedure);
// The sub-folder enumeration has a location of its own.
QString subDirectoriesErrorLocation();
QString errorReportText(const QString& description, const QString& location, int line);

class ErrorReporter {
public:
    explicit ErrorReporter(Prompts& prompts) : m_prompts(prompts) { }
    virtual ~ErrorReporter() = default;

    void report(const QString& description, const QString& location, int line);
    Prompts& prompts() { return m_prompts; }

private:
    Prompts& m_prompts;
};

// Runs a procedure's statements as labelled steps. A step that throws is
// reported with its label; the caller then goes on with the next step.
class GuardedProcedure {
public:
    GuardedProcedure(ErrorReporter& reporter, QString location) : m_reporter(reporter), m_location(std::move(location))
    {
    }

    // True when the step ran to its end.
    template <class Body> bool step(int label, Body&& body)
    {
        m_line = label;
        try {
            std::forward<Body>(body)();
            return true;
        } catch (const Failure& failure) {
            fail(failure.description());
        } catch (const std::bad_alloc&) {
            fail(QStringLiteral("Out of memory"));
        } catch (const std::exception& error) {
            fail(QString::fromLocal8Bit(error.what()));
        }
        return false;
    }

    int line() const { return m_line; }
    int failures() const { return m_failures; }
    // The description of the last failed step, for the run's report.
    const QString& lastFailure() const { return m_lastFailure; }
    const QString& location() const { return m_location; }
    ErrorReporter& reporter() { return m_reporter; }

private:
    void fail(const QString& description);

    ErrorReporter& m_reporter;
    QString m_location;
    int m_line = 0;
    int m_failures = 0;
    QString m_lastFailure;
};
