// "Save as Patch...": the reviewed files' changes as one unified diff, made
// by the same engine again and kept in memory, never written over a file.
#include "engine/batchrun/batchrun.h"
#include "engine/output/unifieddiff.h"
#include "engine/textfile/fileplace.h"
#include "engine/textfile/sourcefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopedValueRollback>

namespace {

// The folder that holds every file, where the patch is applied.
QString commonFolder(const QList<ReviewedSource>& files)
{
    QStringList common;
    bool first = true;
    for (const ReviewedSource& file : files) {
        const QStringList parts = QFileInfo(file.path).absolutePath().split(QLatin1Char('/'));
        if (first) {
            common = parts;
            first = false;
            continue;
        }
        qsizetype same = 0;
        while (same < common.size() && same < parts.size() && common[same] == parts[same])
            ++same;
        common = common.mid(0, same);
    }
    const QString folder = common.join(QLatin1Char('/'));
    return folder.isEmpty() ? QStringLiteral("/") : folder;
}

// The source's bytes, as long as it is still the file reviewed.
QByteArray reviewedBytes(const ReviewedSource& file)
{
    SourceFile source(file.path);
    if (!source.identity().untouchedSince(file.identity))
        throw Failure(QStringLiteral("changed since the review"));
    QByteArray bytes(qsizetype(source.size()), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const qsizetype n = source.read(bytes.data() + got, bytes.size() - got);
        if (n <= 0)
            throw Failure(QStringLiteral("changed since the review"));
        got += n;
    }
    source.checkUnchanged();
    return bytes;
}

// UTF-16 and UTF-32 text is not line-based bytes that patch tools take apart.
bool isWideText(const QByteArray& bytes)
{
    return bytes.startsWith(QByteArray("\xFF\xFE", 2)) || bytes.startsWith(QByteArray("\xFE\xFF", 2))
        || bytes.startsWith(QByteArray("\0\0\xFE\xFF", 4));
}

} // namespace

// Labels of the steps below, as error reports give them.
namespace patchStep {
constexpr int write = 100;
}

SavedPatch BatchRun::savePatch(const QString& path, const QList<ReviewedSource>& files)
{
    GuardedProcedure proc(m_services.reporter, form1Location("SaveAsPatch"));
    SavedPatch saved;
    if (m_running || files.isEmpty())
        return saved;
    const QScopedValueRollback<bool> running(m_running, true);
    saved.folder = commonFolder(files);
    const QDir root(saved.folder);
    QByteArray comments;
    QByteArray diffs;
    const int tab = m_window.selectedTab();
    for (const ReviewedSource& file : files) {
        m_services.yield();
        const QString relative = root.relativeFilePath(QFileInfo(file.path).absoluteFilePath());
        try {
            const QByteArray before = reviewedBytes(file);
            if (isWideText(before)) {
                comments += "# Not included (UTF-16 or UTF-32 text): " + relative.toUtf8() + "\n";
                throw Failure(QStringLiteral("not included, as it is UTF-16 or UTF-32 text"));
            }
            QByteArray after;
            // The pairs as the window has them now, as the run would read them.
            EngineContext context{m_services.reporter};
            context.output.keepResult = &after;
            context.output.destination = [this] { return m_window.destination(); };
            context.sourceRefusal = [&file](const ByteSource& source) {
                const SourceFile* opened = source.onDisk();
                return opened && opened->identity().untouchedSince(file.identity)
                    ? QString()
                    : QStringLiteral("changed since the review");
            };
            const FileOutcome outcome = tab == 0
                ? m_entries.single(file.path, m_window.findWhat(), m_window.replaceWith(), context)
                : m_entries.sets(file.path, m_window.findList(), m_window.replaceList(), context);
            if (outcome.kind != FileOutcome::Changed)
                throw Failure(outcome.reason.isEmpty() ? QStringLiteral("nothing to replace now") : outcome.reason);
            diffs += unifiedDiff(before, after, relative);
        } catch (const Failure& failure) {
            saved.leftOut.append(failure.description() + QStringLiteral(": ") + QDir::toNativeSeparators(file.path));
        }
    }
    saved.saved = proc.step(patchStep::write, [&] {
        const QByteArray patch = comments + diffs;
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(patch) != patch.size() || !out.commit())
            throwFileFailure(path, out.errorString());
    });
    return saved;
}
