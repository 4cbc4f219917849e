#pragma once

#include <QByteArray>
#include <QString>

#include <random>

// Mostly the given characters, some of any code unit (surrogate halves and unassigned ones included).
inline QString RandomText(std::mt19937& rng, int size, const QString& picks)
{
    QString text;
    for (int i = 0; i < size; ++i) {
        const unsigned r = rng() % 8;
        if (r == 0)
            text.append(QChar(char16_t(rng() % 0x10000)));
        else if (r == 1)
            text.append(QChar(char16_t(rng() % 0x500)));
        else
            text.append(picks.at(rng() % picks.size()));
    }
    return text;
}

// Mostly the given bytes, a third of them of any value.
inline QByteArray RandomBytes(std::mt19937& rng, int size, const QByteArray& picks)
{
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(rng() % 3 == 0 ? char(rng() % 256) : picks.at(rng() % picks.size()));
    return bytes;
}
