#include "window/scramble.h"

const QString sampleListKey = QStringLiteral("morvanel");

namespace {
int keyCode(const QString& key, int& position)
{
    const int code = key.isEmpty() ? 0 : (key.at(position).unicode() & 0xFF);
    if (!key.isEmpty())
        position = (position + 1) % key.size();
    return code;
}
} // namespace

QString ScrambleText(const QString& text, const QString& key, const std::function<void()>& yield)
{
    const QByteArray bytes = text.toUtf8();
    QString result;
    result.reserve(bytes.size());
    int position = 0;
    for (const char byte : bytes) {
        if (yield)
            yield();
        int value = static_cast<unsigned char>(byte) + keyCode(key, position);
        if (value > 255)
            value -= 255;
        result.append(QChar(value));
    }
    return result;
}

QString UnscrambleText(const QString& text, const QString& key, const std::function<void()>& yield)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    int position = 0;
    for (const QChar character : text) {
        if (yield)
            yield();
        int value = (character.unicode() & 0xFF) - keyCode(key, position);
        if (value < 1)
            value += 255;
        bytes.append(static_cast<char>(value));
    }
    return QString::fromUtf8(bytes);
}
