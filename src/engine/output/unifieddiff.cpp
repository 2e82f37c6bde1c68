#include "engine/output/unifieddiff.h"

#include <QList>

#include <algorithm>

namespace {

constexpr qsizetype context = 3;
// How far ahead a changed stretch is looked past for lines that agree again.
constexpr qsizetype lookAhead = 200;

// The lines with their LF, the last one maybe without.
QList<QByteArray> linesOf(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', at);
        const qsizetype end = lf < 0 ? bytes.size() : lf + 1;
        lines.append(bytes.mid(at, end - at));
        at = end;
    }
    return lines;
}

// One step of the alignment: lines both sides keep, or a stretch replaced.
struct Stretch {
    qsizetype before; // first line on each side
    qsizetype after;
    qsizetype beforeCount; // lines taken away
    qsizetype afterCount; // lines put in their place
};

// Where the two agree again after a difference at (i, j): the nearest pair of
// equal lines within lookAhead; else both sides to their ends. Any alignment
// makes a patch that applies; a near one makes it short.
std::pair<qsizetype, qsizetype> agreeAgain(
    const QList<QByteArray>& a, const QList<QByteArray>& b, qsizetype i, qsizetype j)
{
    for (qsizetype d = 1; d <= 2 * lookAhead; ++d) {
        for (qsizetype k = std::max<qsizetype>(0, d - lookAhead); k <= std::min(d, lookAhead); ++k) {
            const qsizetype x = i + k;
            const qsizetype y = j + d - k;
            if (x >= a.size() || y >= b.size())
                continue;
            if (a[x] == b[y])
                return {x, y};
        }
    }
    return {a.size(), b.size()};
}

QList<Stretch> changedStretches(const QList<QByteArray>& a, const QList<QByteArray>& b)
{
    QList<Stretch> changed;
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            ++i;
            ++j;
            continue;
        }
        const auto [x, y] = (i < a.size() && j < b.size()) ? agreeAgain(a, b, i, j)
                                                           : std::pair<qsizetype, qsizetype>{a.size(), b.size()};
        changed.append({i, j, x - i, y - j});
        i = x;
        j = y;
    }
    return changed;
}

void appendLine(QByteArray& out, char mark, const QByteArray& line)
{
    out += mark;
    out += line;
    if (!line.endsWith('\n'))
        out += "\n\\ No newline at end of file\n";
}

// "-3,2": an empty side names the line before it.
QByteArray range(qsizetype first, qsizetype count)
{
    const qsizetype shown = count == 0 ? first : first + 1;
    return QByteArray::number(shown) + ',' + QByteArray::number(count);
}

QByteArray quotedName(const QString& name)
{
    return name.toUtf8();
}

} // namespace

QByteArray unifiedDiff(const QByteArray& before, const QByteArray& after, const QString& relativePath)
{
    if (before == after)
        return {};
    const QList<QByteArray> a = linesOf(before);
    const QList<QByteArray> b = linesOf(after);
    const QList<Stretch> changed = changedStretches(a, b);
    const QByteArray name = quotedName(relativePath);
    // GNU patch takes a name up to a tab; git puts one after a name with a space.
    const QByteArray tab = name.contains(' ') ? "\t" : "";
    QByteArray out = "diff --git a/" + name + " b/" + name + "\n--- a/" + name + tab + "\n+++ b/" + name + tab + "\n";
    for (qsizetype s = 0; s < changed.size();) {
        // One hunk: stretches whose context would meet.
        qsizetype last = s;
        while (last + 1 < changed.size()
            && changed[last + 1].before - (changed[last].before + changed[last].beforeCount) <= 2 * context)
            ++last;
        const qsizetype startA = std::max<qsizetype>(0, changed[s].before - context);
        const qsizetype lead = changed[s].before - startA;
        const qsizetype startB = changed[s].after - lead;
        const qsizetype endA = std::min(a.size(), changed[last].before + changed[last].beforeCount + context);
        const qsizetype trail = endA - (changed[last].before + changed[last].beforeCount);
        const qsizetype endB = changed[last].after + changed[last].afterCount + trail;
        out += "@@ -" + range(startA, endA - startA) + " +" + range(startB, endB - startB) + " @@\n";
        qsizetype i = startA;
        for (qsizetype k = s; k <= last; ++k) {
            for (; i < changed[k].before; ++i)
                appendLine(out, ' ', a[i]);
            for (qsizetype n = 0; n < changed[k].beforeCount; ++n)
                appendLine(out, '-', a[changed[k].before + n]);
            for (qsizetype n = 0; n < changed[k].afterCount; ++n)
                appendLine(out, '+', b[changed[k].after + n]);
            i = changed[k].before + changed[k].beforeCount;
        }
        for (; i < endA; ++i)
            appendLine(out, ' ', a[i]);
        s = last + 1;
    }
    return out;
}
