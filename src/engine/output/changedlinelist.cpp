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

using Span = std::pair<uint32_t, uint32_t>;

// Whether the after side is the before side with each before part put in
// place of its after part: then only the after parts' units need keeping.
template <class Unit>
bool afterFollowsParts(std::basic_string_view<Unit> before, std::basic_string_view<Unit> after, const Span* beforeParts,
    const Span* afterParts, size_t parts)
{
    size_t beforeFrom = 0;
    size_t afterFrom = 0;
    for (size_t k = 0; k < parts; ++k) {
        if (beforeParts[k].first < beforeFrom || afterParts[k].first < afterFrom)
            return false;
        const size_t length = beforeParts[k].first - beforeFrom;
        if (afterParts[k].first - afterFrom != length
            || before.substr(beforeFrom, length) != after.substr(afterFrom, length))
            return false;
        beforeFrom = beforeParts[k].first + beforeParts[k].second;
        afterFrom = afterParts[k].first + afterParts[k].second;
    }
    return before.substr(beforeFrom) == after.substr(afterFrom);
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

template <> std::string& ChangedLineList::unitsOf<char>()
{
    return m_bytes;
}

template <> std::u16string& ChangedLineList::unitsOf<char16_t>()
{
    return m_text;
}

// A line that may be cut is cut now; one that cannot keeps its units: a
// side of no more units than the characters kept has no more characters.
template <class Unit> void ChangedLineList::keepRaw(const RawChangedLine<Unit>& line)
{
    using View = std::basic_string_view<Unit>;
    const size_t most = ChangedLine::mostCharacters;
    if (line.beforeCut || line.afterCut || line.before.size() > most || line.after.size() > most) {
        keepCut(line);
        return;
    }
    std::basic_string<Unit>& units = unitsOf<Unit>();
    Line kept{line.number, uint32_t(units.size()), uint32_t(line.before.size()), uint32_t(line.after.size()),
        uint32_t(m_parts.size()), uint32_t(line.beforeParts.size()), uint32_t(line.afterParts.size()),
        std::is_same_v<Unit, char>, false, false, false};
    // Within the units, as the cut would leave them.
    for (const auto* side : {&line.beforeParts, &line.afterParts}) {
        const size_t size = side == &line.beforeParts ? line.before.size() : line.after.size();
        for (const auto& [start, length] : *side) {
            const size_t from = std::min(start, size);
            m_parts.emplace_back(uint32_t(from), uint32_t(std::min(size, start + length) - from));
        }
    }
    const Span* beforeParts = m_parts.data() + kept.partsAt;
    const Span* afterParts = beforeParts + kept.beforeParts;
    kept.afterInParts = kept.beforeParts == kept.afterParts
        && afterFollowsParts(View(line.before), View(line.after), beforeParts, afterParts, kept.afterParts);
    units += line.before;
    if (kept.afterInParts) {
        for (size_t k = 0; k < kept.afterParts; ++k)
            units.append(line.after, afterParts[k].first, afterParts[k].second);
    } else {
        units += line.after;
    }
    m_lines.push_back(kept);
}

bool ChangedLineList::append(const WholeChangedLine<char>& line)
{
    return keepWhole(line);
}

bool ChangedLineList::append(const WholeChangedLine<char16_t>& line)
{
    return keepWhole(line);
}

// Kept as a raw line would be, with only the after side's parts.
template <class Unit> bool ChangedLineList::keepWhole(const WholeChangedLine<Unit>& line)
{
    size_t beforeSize = line.start.size() + line.rest.size();
    const size_t afterSize = beforeSize;
    for (size_t c = 0; c < line.count; ++c)
        beforeSize = beforeSize - line.changes[c].length + line.changes[c].before.size();
    const size_t most = ChangedLine::mostCharacters;
    if (beforeSize > most || afterSize > most)
        return false;
    std::basic_string<Unit>& units = unitsOf<Unit>();
    const Line kept{line.number, uint32_t(units.size()), uint32_t(beforeSize), uint32_t(afterSize),
        uint32_t(m_parts.size()), uint32_t(line.count), uint32_t(line.count), std::is_same_v<Unit, char>, true, false,
        false};
    // Sized once and filled, as the pieces are many and short.
    size_t partUnits = 0;
    for (size_t c = 0; c < line.count; ++c)
        partUnits += line.changes[c].length;
    units.resize(kept.at + beforeSize + partUnits);
    m_parts.resize(kept.partsAt + 2 * line.count);
    Unit* const lineUnits = units.data() + kept.at;
    Unit* out = std::copy(line.start.begin(), line.start.end(), lineUnits);
    Span* beforeParts = m_parts.data() + kept.partsAt;
    Span* afterParts = beforeParts + line.count;
    size_t from = 0; // in rest
    ptrdiff_t moved = 0; // how far the after side's text stands behind the before side's
    for (size_t c = 0; c < line.count; ++c) {
        const SettledChange<Unit>& change = line.changes[c];
        const size_t at = change.at - line.restAt;
        out = std::copy(line.rest.begin() + ptrdiff_t(from), line.rest.begin() + ptrdiff_t(at), out);
        const size_t partAt = size_t(out - lineUnits);
        beforeParts[c] = Span(uint32_t(partAt), uint32_t(change.before.size()));
        afterParts[c] = Span(uint32_t(ptrdiff_t(partAt) + moved), uint32_t(change.length));
        out = std::copy(change.before.begin(), change.before.end(), out);
        moved += ptrdiff_t(change.length) - ptrdiff_t(change.before.size());
        from = at + change.length;
    }
    out = std::copy(line.rest.begin() + ptrdiff_t(from), line.rest.end(), out);
    for (size_t c = 0; c < line.count; ++c) {
        const size_t at = line.changes[c].at - line.restAt;
        out = std::copy(
            line.rest.begin() + ptrdiff_t(at), line.rest.begin() + ptrdiff_t(at + line.changes[c].length), out);
    }
    m_lines.push_back(kept);
    return true;
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
    Line kept{line.number, uint32_t(m_text.size()), uint32_t(line.before.size()), uint32_t(line.after.size()),
        uint32_t(m_parts.size()), uint32_t(line.beforeParts.size()), uint32_t(line.afterParts.size()), false, false,
        line.beforeCut, line.afterCut};
    for (const QString* side : {&line.before, &line.after})
        m_text.append(reinterpret_cast<const char16_t*>(side->utf16()), size_t(side->size()));
    for (const QList<ChangedLine::Part>* parts : {&line.beforeParts, &line.afterParts}) {
        for (const ChangedLine::Part& part : *parts)
            m_parts.emplace_back(uint32_t(part.at), uint32_t(part.length));
    }
    m_lines.push_back(kept);
}

void ChangedLineList::clear()
{
    m_lines.clear();
    m_bytes.clear();
    m_text.clear();
    m_parts.clear();
}

ChangedLine ChangedLineList::at(qsizetype i) const
{
    const Line& kept = m_lines[size_t(i)];
    return kept.inBytes ? lineOf(kept, m_bytes) : lineOf(kept, m_text);
}

template <class Unit> ChangedLine ChangedLineList::lineOf(const Line& kept, const std::basic_string<Unit>& units) const
{
    using View = std::basic_string_view<Unit>;
    const auto beforeParts = m_parts.begin() + kept.partsAt;
    const auto afterParts = beforeParts + kept.beforeParts;
    const auto partsEnd = afterParts + kept.afterParts;
    const View before = View(units).substr(kept.at, kept.beforeSize);
    std::basic_string<Unit> after;
    if (kept.afterInParts) {
        after.reserve(kept.afterSize);
        size_t from = 0;
        size_t partUnits = kept.at + kept.beforeSize;
        for (auto b = beforeParts, a = afterParts; a != partsEnd; ++a, ++b) {
            after.append(before.substr(from, b->first - from));
            after.append(units, partUnits, a->second);
            partUnits += a->second;
            from = b->first + b->second;
        }
        after.append(before.substr(from));
    } else {
        after = units.substr(kept.at + kept.beforeSize, kept.afterSize);
    }
    ChangedLine line;
    line.number = kept.number;
    if (kept.inBytes) {
        Side beforeSide = sideOf(before, beforeParts, afterParts, false, m_encoding);
        Side afterSide = sideOf(View(after), afterParts, partsEnd, false, m_encoding);
        line.before = std::move(beforeSide.text);
        line.beforeParts = std::move(beforeSide.parts);
        line.beforeCut = beforeSide.cut;
        line.after = std::move(afterSide.text);
        line.afterParts = std::move(afterSide.parts);
        line.afterCut = afterSide.cut;
        return line;
    }
    const auto text
        = [](View side) { return QString(reinterpret_cast<const QChar*>(side.data()), qsizetype(side.size())); };
    const auto parts = [](auto from, auto to) {
        QList<ChangedLine::Part> list;
        list.reserve(qsizetype(to - from));
        for (; from != to; ++from)
            list.append({int(from->first), int(from->second)});
        return list;
    };
    line.before = text(before);
    line.after = text(View(after));
    line.beforeParts = parts(beforeParts, afterParts);
    line.afterParts = parts(afterParts, partsEnd);
    line.beforeCut = kept.beforeCut;
    line.afterCut = kept.afterCut;
    return line;
}
