#include "engine/batchrun/runreport.h"

#include "base/failure.h"
#include "engine/textfile/privatefolder.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <algorithm>

namespace {

QString kindWord(FileOutcome::Kind kind, bool countOnly)
{
    switch (kind) {
    case FileOutcome::Changed: return countOnly ? QStringLiteral("would change") : QStringLiteral("changed");
    case FileOutcome::Unchanged: return QStringLiteral("unchanged");
    case FileOutcome::Skipped: return QStringLiteral("skipped");
    case FileOutcome::Failed: return QStringLiteral("failed");
    case FileOutcome::NotReached: return QStringLiteral("not reached");
    }
    return {};
}

QByteArray csvField(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    // A spreadsheet would run such a field as a formula: it is kept as text.
    if (!bytes.isEmpty() && QByteArrayView("=+-@\t\r").contains(bytes.front()))
        bytes.prepend('\'');
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

const QString reportPrefix = QStringLiteral("run-");
const QString reportSuffix = QStringLiteral(".csv");

} // namespace

QString plural(qint64 n, const char* one, const char* many)
{
    return groupedNumber(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

QString groupedNumber(qint64 n)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

int RunReport::count(FileOutcome::Kind kind) const
{
    int n = 0;
    for (const RunRow& row : rows)
        n += row.outcome.kind == kind ? 1 : 0;
    return n;
}

qint64 RunReport::replacements() const
{
    qint64 n = 0;
    for (const RunRow& row : rows)
        n += row.outcome.replacements;
    return n;
}

QString summaryLine(const RunReport& report)
{
    QString line = plural(report.count(FileOutcome::Changed), "file", "files")
        + (report.countOnly ? QStringLiteral(" would change (") : QStringLiteral(" changed ("))
        + plural(report.replacements(), "replacement", "replacements") + QStringLiteral("), ")
        + groupedNumber(report.count(FileOutcome::Unchanged)) + QStringLiteral(" unchanged, ")
        + groupedNumber(report.count(FileOutcome::Skipped)) + QStringLiteral(" skipped, ")
        + groupedNumber(report.count(FileOutcome::Failed)) + QStringLiteral(" failed");
    if (const int notReached = report.count(FileOutcome::NotReached))
        line += QStringLiteral(", ") + groupedNumber(notReached) + QStringLiteral(" not reached");
    return line;
}

QString rowLine(const RunRow& row, bool countOnly)
{
    QString line = kindWord(row.outcome.kind, countOnly);
    if (row.outcome.kind == FileOutcome::Changed)
        line += QStringLiteral(", ") + plural(row.outcome.replacements, "replacement", "replacements");
    if (!row.outcome.reason.isEmpty())
        line += QStringLiteral(", ") + row.outcome.reason;
    return line + QStringLiteral(": ") + row.path;
}

QString detailsText(const RunReport& report, const QStringList& closing)
{
    QStringList lines;
    if (report.countOnly)
        lines.append(QStringLiteral("Nothing was written (count only)"));
    lines.append(summaryLine(report));
    lines.append(QString());
    // What needs a look comes first: the failed rows, then the skipped, each in list order.
    for (const FileOutcome::Kind first : {FileOutcome::Failed, FileOutcome::Skipped}) {
        for (const RunRow& row : report.rows) {
            if (row.outcome.kind == first)
                lines.append(rowLine(row, report.countOnly));
        }
    }
    for (const RunRow& row : report.rows) {
        if (row.outcome.kind != FileOutcome::Failed && row.outcome.kind != FileOutcome::Skipped)
            lines.append(rowLine(row, report.countOnly));
    }
    if (!closing.isEmpty()) {
        lines.append(QString());
        lines.append(closing);
    }
    return lines.join(QLatin1Char('\n'));
}

QByteArray csvText(const RunReport& report)
{
    QByteArray csv = "path,outcome,replacements,reason\r\n";
    for (const RunRow& row : report.rows) {
        csv += csvField(row.path) + ',' + csvField(kindWord(row.outcome.kind, report.countOnly)) + ','
            + QByteArray::number(row.outcome.replacements) + ',' + csvField(row.outcome.reason) + "\r\n";
    }
    return csv;
}

QString writeRunReport(const QString& stateFolder, const RunReport& report, const QDateTime& when, int keep)
{
    const QString folderPath = stateFolder + QStringLiteral("/runs");
    const FileHandle state = openPrivateFolder(stateFolder);
    const FileHandle folder = openPrivateSubfolder(state.get(), "runs", folderPath);
    const QString stem = reportPrefix + when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"))
        + (report.countOnly ? QStringLiteral("-count") : QString());
    QString name = stem + reportSuffix;
    for (int n = 2; identityAt(folder.get(), QFile::encodeName(name)).exists; ++n)
        name = stem + QLatin1Char('-') + QString::number(n) + reportSuffix;
    const QString path = QDir::toNativeSeparators(folderPath + QLatin1Char('/') + name);
    writePrivateFile(folder.get(), QFile::encodeName(name), csvText(report), path);

    // Newest first; older reports than the newest `keep` go.
    QList<QPair<qint64, QByteArray>> reports;
    for (const QByteArray& entry : folderEntries(folder.get())) {
        const FileIdentity id = identityAt(folder.get(), entry);
        if (id.regular && entry.startsWith(reportPrefix.toLatin1()) && entry.endsWith(reportSuffix.toLatin1()))
            reports.append({id.modified, entry});
    }
    std::sort(reports.begin(), reports.end(), [](const auto& a, const auto& b) { return a > b; });
    for (qsizetype i = keep; i < reports.size(); ++i)
        removeTree(folder.get(), reports[i].second);
    return path;
}
