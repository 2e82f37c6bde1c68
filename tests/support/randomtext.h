// Random texts over a small alphabet, for tests that compare a search or a
// replacement with a plain one on many texts.
#pragma once

#include <QRandomGenerator>
#include <QString>

inline QString randomText(QRandomGenerator& random, const QString& alphabet, int maxLength)
{
    QString text;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        text += alphabet[random.bounded(int(alphabet.size()))];
    return text;
}
