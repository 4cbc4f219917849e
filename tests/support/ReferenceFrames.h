#pragma once

#include <QByteArray>
#include <QByteArrayList>

// The frames a byte stream holds, cut the plain way: from the first "~" after
// the previous frame's CR up to the next CR, CR dropped. Whatever the chunks
// the line delivers, the engine must hand the panel exactly these.
inline QByteArrayList ReferenceFrames(const QByteArray& stream)
{
    QByteArrayList frames;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype start = stream.indexOf('~', pos);
        if (start < 0)
            break;
        const qsizetype end = stream.indexOf('\r', start);
        if (end < 0)
            break;
        frames.append(stream.mid(start, end - start));
        pos = end + 1;
    }
    return frames;
}
