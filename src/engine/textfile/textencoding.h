// How a text file's bytes stand for its text: the three modes the program
// speaks of, the exact encoding behind each, and the byte-order marks.
// Pure functions; anyone may call them.
#pragma once

#include <QByteArray>
#include <QString>

enum class TextMode { Ansi, Unicode, Utf8 };

// The exact form of a file's text. A file without a mark is Utf8 when all its
// bytes are valid UTF-8 and Windows1252 otherwise.
enum class TextEncoding {
    Utf8, // no mark
    Windows1252, // no mark
    Utf8WithMark, // EF BB BF
    Utf16LE, // FF FE
    Utf16BE, // FE FF
    Utf32LE, // FF FE 00 00
    Utf32BE, // 00 00 FE FF
};

struct SourceEncoding {
    TextMode mode = TextMode::Ansi;
    // For an unmarked file this is Utf8 until its bytes prove otherwise.
    TextEncoding encoding = TextEncoding::Utf8;
    int markSize = 0;
};

// Decides from a file's first bytes (up to four of them) and its length in bytes.
SourceEncoding encodingFromMark(const char* firstBytes, qint64 fileLength);

TextMode modeOf(TextEncoding encoding);
// The mark a result in this encoding begins with; empty for unmarked encodings.
QByteArray markOf(TextEncoding encoding);
// "UTF-8", "Windows-1252", "UTF-16LE" ... for messages.
QString encodingName(TextEncoding encoding);
// Bytes per code unit: 1, 2 or 4.
int unitSize(TextEncoding encoding);

// The mode of an existing file, from its first bytes. Throws Failure.
TextMode DetectTextEncoding(const QString& path);
