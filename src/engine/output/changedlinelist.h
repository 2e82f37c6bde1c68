// The changed lines a review keeps of one file. A review keeps hundreds of
// thousands of them over a batch, and most are never looked at: a short line
// is kept as the file's own units in one buffer per file and becomes text
// only when asked for; a long one is cut to its characters at once, so that
// none keeps more than its cut text.
#pragma once

#include "engine/output/changedlines.h"
#include "engine/textfile/textencoding.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct ChangedLine {
    // The most lines kept per file, and characters kept of each side.
    static constexpr int mostLines = 1000;
    static constexpr int mostCharacters = 1000;

    qint64 number = 0; // the source's line, from 1; a change across lines keeps the first
    QString before; // without its line break; one inside a change stays
    QString after;
    bool beforeCut = false; // then the text ends with cutMark
    bool afterCut = false;
    struct Part {
        int at; // in the kept text
        int length; // 0 where text was deleted
    };
    QList<Part> beforeParts; // the replaced parts, those within the kept text
    QList<Part> afterParts; // and what took their place

    static QString cutMark() { return QStringLiteral("\u2026"); }
};

class ChangedLineList {
public:
    ChangedLineList() = default;
    ChangedLineList(std::initializer_list<ChangedLine> lines);

    // How the file's bytes become text; before the first line in bytes.
    void setEncoding(TextEncoding encoding) { m_encoding = encoding; }
    // A line as ChangedLines gives it, in the file's bytes or as text.
    void append(const RawChangedLine<char>& line);
    void append(const RawChangedLine<char16_t>& line);
    void append(const ChangedLine& line);
    // A line as it stands in its piece; false where a side is longer than
    // the characters kept may be, and it is to come as a raw line instead.
    bool append(const WholeChangedLine<char>& line);
    bool append(const WholeChangedLine<char16_t>& line);
    // No lines, the room kept.
    void clear();

    qsizetype size() const { return qsizetype(m_lines.size()); }
    bool isEmpty() const { return m_lines.empty(); }
    // The line as text, its parts moved to match, cut at the characters kept.
    ChangedLine at(qsizetype i) const;
    ChangedLine operator[](qsizetype i) const { return at(i); }
    ChangedLine first() const { return at(0); }
    ChangedLine last() const { return at(size() - 1); }

    class const_iterator {
    public:
        const_iterator(const ChangedLineList* list, qsizetype i) : m_list(list), m_i(i) { }
        ChangedLine operator*() const { return m_list->at(m_i); }
        const_iterator& operator++()
        {
            ++m_i;
            return *this;
        }
        bool operator!=(const const_iterator& other) const { return m_i != other.m_i; }

    private:
        const ChangedLineList* m_list;
        qsizetype m_i;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    using Span = std::pair<uint32_t, uint32_t>; // at, length
    struct Line {
        qint64 number;
        uint32_t at; // in m_bytes when inBytes, else in m_text: the after side, then the before side
        uint32_t beforeSize;
        uint32_t afterSize;
        uint32_t partsAt; // in m_parts: the before side's, then the after side's
        uint32_t beforeParts;
        uint32_t afterParts;
        bool inBytes;
        bool beforeInParts; // only the before side's parts are kept: the rest is the after side's
        bool beforeCut;
        bool afterCut;
    };

    template <class Unit> void keepRaw(const RawChangedLine<Unit>& line);
    template <class Unit> void keepCut(const RawChangedLine<Unit>& line);
    template <class Unit> bool keepWhole(const WholeChangedLine<Unit>& line);
    template <class Unit> std::basic_string<Unit>& unitsOf();
    template <class Unit> ChangedLine lineOf(const Line& kept, const std::basic_string<Unit>& units) const;

    TextEncoding m_encoding = TextEncoding::Utf8;
    std::vector<Line> m_lines;
    std::string m_bytes;
    std::u16string m_text;
    std::vector<Span> m_parts;
};
