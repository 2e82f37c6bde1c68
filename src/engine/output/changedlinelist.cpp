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

// Whether the two sides agree outside their parts: then the before side is
// the after side with each after part put back as the before part, and only
// the before parts' units need keeping.
template <class Unit>
bool sidesAgreeOutsideParts(std::basic_string_view<Unit> before, std::basic_string_view<Unit> after,
    const Span* beforeParts, const Span* afterParts, size_t parts)
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
    kept.beforeInParts = kept.beforeParts == kept.afterParts
        && sidesAgreeOutsideParts(View(line.before), View(line.after), beforeParts, afterParts, kept.afterParts);
    units += line.after;
    if (kept.beforeInParts) {
        for (size_t k = 0; k < kept.beforeParts; ++k)
            units.append(line.before, beforeParts[k].first, beforeParts[k].second);
    } else {
        units += line.before;
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

// Kept as a raw line would be, with only the before side's parts: the
// after side is the piece's text as it stands, in one copy where the
// line's start lies in the piece too.
template <class Unit> bool ChangedLineList::keepWhole(const WholeChangedLine<Unit>& line)
{
    using View = std::basic_string_view<Unit>;
    const size_t afterSize = line.start.size() + line.rest.size();
    size_t beforeSize = afterSize;
    for (size_t c = 0; c < line.count; ++c)
        beforeSize = beforeSize - line.changes[c].length + line.changes[c].before.size();
    const size_t most = ChangedLine::mostCharacters;
    if (beforeSize > most || afterSize > most)
        return false;
    std::basic_string<Unit>& units = unitsOf<Unit>();
    const Line kept{line.number, uint32_t(units.size()), uint32_t(beforeSize), uint32_t(afterSize),
        uint32_t(m_parts.size()), uint32_t(line.count), uint32_t(line.count), std::is_same_v<Unit, char>, true, false,
        false};
    if (line.start.data() + line.start.size() == line.rest.data()) {
        units.append(View(line.start.data(), afterSize));
    } else {
        units.append(line.start);
        units.append(line.rest);
    }
    ptrdiff_t moved = 0; // how far the before side's text stands behind the after side's
    for (size_t c = 0; c < line.count; ++c) {
        const SettledChange<Unit>& change = line.changes[c];
        const size_t afterAt = line.start.size() + (change.at - line.restAt);
        m_parts.emplace_back(uint32_t(ptrdiff_t(afterAt) + moved), uint32_t(change.before.size()));
        moved += ptrdiff_t(change.before.size()) - ptrdiff_t(change.length);
        units.append(change.before);
    }
    for (size_t c = 0; c < line.count; ++c) {
        const SettledChange<Unit>& change = line.changes[c];
        m_parts.emplace_back(uint32_t(line.start.size() + (change.at - line.restAt)), uint32_t(change.length));
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
    for (const QString* side : {&line.after, &line.before})
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
    const View after = View(units).substr(kept.at, kept.afterSize);
    std::basic_string<Unit> before;
    if (kept.beforeInParts) {
        before.reserve(kept.beforeSize);
        size_t from = 0;
        size_t partUnits = kept.at + kept.afterSize;
        for (auto b = beforeParts, a = afterParts; a != partsEnd; ++a, ++b) {
            before.append(after.substr(from, a->first - from));
            before.append(units, partUnits, b->second);
            partUnits += b->second;
            from = a->first + a->second;
        }
        before.append(after.substr(from));
    } else {
        before = units.substr(kept.at + kept.afterSize, kept.beforeSize);
    }
    ChangedLine line;
    line.number = kept.number;
    if (kept.inBytes) {
        Side beforeSide = sideOf(View(before), beforeParts, afterParts, false, m_encoding);
        Side afterSide = sideOf(after, afterParts, partsEnd, false, m_encoding);
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
    line.before = text(View(before));
    line.after = text(after);
    line.beforeParts = parts(beforeParts, afterParts);
    line.afterParts = parts(afterParts, partsEnd);
    line.beforeCut = kept.beforeCut;
    line.afterCut = kept.afterCut;
    return line;
}
