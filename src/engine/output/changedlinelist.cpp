#include "engine/output/changedlinelist.h"

#include "engine/textfile/textcodec.h"

#include <QByteArrayView>

#include <algorithm>
#include <type_traits>

namespace {

QString decoded(std::string_view bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Windows1252) {
        const QByteArray raw(bytes.data(), qsizetype(bytes.size()));
        try {
            return decodeText(raw, encoding, QString(), 0);
        } catch (const Failure&) {
            return QString::fromLatin1(raw);
        }
    }
    return QString::fromUtf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

QString decoded(std::u16string_view text, TextEncoding)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

struct Side {
    QString text;
    QList<ChangedLine::Part> parts;
    bool cut = false;
};

// Where a unit of the file's text stands in the decoded text: UTF-8 counts
// one UTF-16 unit per leading byte and two for a four-byte character;
// Windows-1252 and UTF-16 go one for one.
template <class Unit> struct DecodedOffsets {
    std::basic_string_view<Unit> raw;
    bool utf8;
    size_t at = 0; // in raw
    qsizetype decoded = 0;

    qsizetype to(size_t offset)
    {
        if constexpr (std::is_same_v<Unit, char>) {
            if (utf8) {
                for (; at < offset && at < raw.size(); ++at) {
                    const auto byte = static_cast<unsigned char>(raw[at]);
                    decoded += ((byte & 0xC0) != 0x80) + (byte >= 0xF0);
                }
                return decoded;
            }
        }
        at = offset;
        return qsizetype(offset);
    }
};

// One side of a line as characters, decoded at once, with its parts (at,
// length in raw) moved to match and the text cut at the characters kept.
template <class Unit, class PartIt>
Side sideOf(std::basic_string_view<Unit> raw, PartIt parts, PartIt partsEnd, bool cut, TextEncoding encoding)
{
    Side side;
    side.text = decoded(raw, encoding);
    DecodedOffsets<Unit> offsets{raw, encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8WithMark};
    side.parts.reserve(qsizetype(partsEnd - parts));
    for (; parts != partsEnd; ++parts) {
        const size_t start = parts->first;
        const size_t length = parts->second;
        const qsizetype from = std::min(offsets.to(start), side.text.size());
        const qsizetype end = std::min(offsets.to(std::min(raw.size(), start + length)), side.text.size());
        side.parts.append({int(from), int(end - from)});
    }
    side.cut = cut || side.text.size() > ChangedLine::mostCharacters;
    if (side.cut) {
        qsizetype kept = std::min<qsizetype>(side.text.size(), ChangedLine::mostCharacters);
        if (kept > 0 && side.text.at(kept - 1).isHighSurrogate())
            --kept;
        side.text.truncate(kept);
        side.text += ChangedLine::cutMark();
        QList<ChangedLine::Part> inside;
        for (ChangedLine::Part part : side.parts) {
            if (part.at < kept || (part.at == kept && part.length == 0)) {
                part.length = int(std::min<qsizetype>(part.length, kept - part.at));
                inside.append(part);
            }
        }
        side.parts = inside;
    }
    return side;
}

} // namespace

ChangedLineList::ChangedLineList(std::initializer_list<ChangedLine> lines)
{
    for (const ChangedLine& line : lines)
        append(line);
}

void ChangedLineList::append(const RawChangedLine<char>& line)
{
    keepRaw(line);
}

void ChangedLineList::append(const RawChangedLine<char16_t>& line)
{
    keepRaw(line);
}

// A line that may be cut is cut now; one that cannot keeps its units: a
// side of no more units than the characters kept has no more characters.
template <class Unit> void ChangedLineList::keepRaw(const RawChangedLine<Unit>& line)
{
    const size_t most = ChangedLine::mostCharacters;
    if (line.beforeCut || line.afterCut || line.before.size() > most || line.after.size() > most) {
        keepCut(line);
        return;
    }
    const auto keepUnits = [&](const std::basic_string<Unit>& units) {
        if constexpr (std::is_same_v<Unit, char>) {
            const Span span(uint32_t(m_bytes.size()), uint32_t(units.size()));
            m_bytes += units;
            return span;
        } else {
            const Span span(uint32_t(m_text.size()), uint32_t(units.size()));
            m_text += units;
            return span;
        }
    };
    // Within the units, as the cut would leave them.
    const auto keepParts = [&](const std::vector<std::pair<size_t, size_t>>& parts, size_t size) {
        for (const auto& [start, length] : parts) {
            const size_t from = std::min(start, size);
            m_parts.emplace_back(uint32_t(from), uint32_t(std::min(size, start + length) - from));
        }
        return uint32_t(parts.size());
    };
    Line kept{line.number, keepUnits(line.before), keepUnits(line.after), uint32_t(m_parts.size()), 0, 0,
        std::is_same_v<Unit, char>, false, false};
    kept.beforeParts = keepParts(line.beforeParts, line.before.size());
    kept.afterParts = keepParts(line.afterParts, line.after.size());
    m_lines.push_back(kept);
}

template <class Unit> void ChangedLineList::keepCut(const RawChangedLine<Unit>& line)
{
    using View = std::basic_string_view<Unit>;
    const Side before
        = sideOf(View(line.before), line.beforeParts.begin(), line.beforeParts.end(), line.beforeCut, m_encoding);
    const Side after
        = sideOf(View(line.after), line.afterParts.begin(), line.afterParts.end(), line.afterCut, m_encoding);
    ChangedLine cut;
    cut.number = line.number;
    cut.before = before.text;
    cut.beforeCut = before.cut;
    cut.beforeParts = before.parts;
    cut.after = after.text;
    cut.afterCut = after.cut;
    cut.afterParts = after.parts;
    append(cut);
}

void ChangedLineList::append(const ChangedLine& line)
{
    Line kept{line.number, keepText(line.before), keepText(line.after), uint32_t(m_parts.size()),
        uint32_t(line.beforeParts.size()), uint32_t(line.afterParts.size()), false, line.beforeCut, line.afterCut};
    for (const QList<ChangedLine::Part>* parts : {&line.beforeParts, &line.afterParts}) {
        for (const ChangedLine::Part& part : *parts)
            m_parts.emplace_back(uint32_t(part.at), uint32_t(part.length));
    }
    m_lines.push_back(kept);
}

ChangedLineList::Span ChangedLineList::keepText(const QString& text)
{
    const Span span(uint32_t(m_text.size()), uint32_t(text.size()));
    m_text.append(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
    return span;
}

void ChangedLineList::squeeze()
{
    m_lines.shrink_to_fit();
    m_bytes.shrink_to_fit();
    m_text.shrink_to_fit();
    m_parts.shrink_to_fit();
}

ChangedLine ChangedLineList::at(qsizetype i) const
{
    const Line& kept = m_lines[size_t(i)];
    const auto beforeParts = m_parts.begin() + kept.partsAt;
    const auto afterParts = beforeParts + kept.beforeParts;
    const auto partsEnd = afterParts + kept.afterParts;
    ChangedLine line;
    line.number = kept.number;
    if (kept.inBytes) {
        const std::string_view bytes(m_bytes);
        Side before
            = sideOf(bytes.substr(kept.before.first, kept.before.second), beforeParts, afterParts, false, m_encoding);
        Side after = sideOf(bytes.substr(kept.after.first, kept.after.second), afterParts, partsEnd, false, m_encoding);
        line.before = std::move(before.text);
        line.beforeParts = std::move(before.parts);
        line.beforeCut = before.cut;
        line.after = std::move(after.text);
        line.afterParts = std::move(after.parts);
        line.afterCut = after.cut;
        return line;
    }
    const auto text = [&](Span span) {
        return QString(reinterpret_cast<const QChar*>(m_text.data() + span.first), qsizetype(span.second));
    };
    const auto parts = [](auto from, auto to) {
        QList<ChangedLine::Part> list;
        list.reserve(qsizetype(to - from));
        for (; from != to; ++from)
            list.append({int(from->first), int(from->second)});
        return list;
    };
    line.before = text(kept.before);
    line.after = text(kept.after);
    line.beforeParts = parts(beforeParts, afterParts);
    line.afterParts = parts(afterParts, partsEnd);
    line.beforeCut = kept.beforeCut;
    line.afterCut = kept.afterCut;
    return line;
}
