#include "ui/EditMask.h"

#include <QStringView>

namespace ui {
namespace {

bool IsPlaceKind(QChar c)
{
    switch (c.unicode()) {
    case '9':
    case '0':
    case '#':
    case 'c':
    case 'C':
        return true;
    default:
        return false;
    }
}

} // namespace

void TEditMask::SetMask(const QString& mask)
{
    const QString kept = Text();
    FMask = mask;
    // The blank is the first character of the third part, when there is one.
    const qsizetype patternEnd = mask.indexOf(QLatin1Char(';'));
    const qsizetype blankAt = patternEnd < 0 ? -1 : mask.indexOf(QLatin1Char(';'), patternEnd + 1) + 1;
    const bool hasBlank = blankAt > 0 && blankAt < mask.size() && mask.at(blankAt) != QLatin1Char(';');
    FBlank = hasBlank ? mask.at(blankAt) : QLatin1Char('_');
    FPattern = patternEnd < 0 ? mask : mask.left(patternEnd);
    SetText(kept);
}

bool TEditMask::IsPlace(int pos) const { return IsPlaceKind(FPattern.at(pos)); }

QString TEditMask::Text() const
{
    int last = PlaceCount() - 1;
    while (last >= 0 && !(IsPlace(last) && FShown.at(last) != FBlank))
        --last;
    QString text;
    text.reserve(last + 1);
    for (int i = 0; i <= last; ++i) {
        if (!IsPlace(i))
            continue;
        // An empty place before the last filled one reads as a space.
        text.append(FShown.at(i) == FBlank ? QLatin1Char(' ') : FShown.at(i));
    }
    return text;
}

void TEditMask::SetText(const QString& text)
{
    QString shown(PlaceCount(), Qt::Uninitialized);
    QChar* out = shown.data();
    qsizetype next = 0;
    for (const QChar kind : FPattern) {
        if (!IsPlaceKind(kind)) {
            *out++ = kind;
            continue;
        }
        const QChar ch = next < text.size() ? text.at(next++) : FBlank;
        *out++ = Takes(kind, ch) ? ch : FBlank;
    }
    FShown = shown;
}

void TEditMask::Clear() { SetText(QString()); }

bool TEditMask::Takes(QChar kind, QChar ch) const
{
    // Both read as an empty place, so a place holding one would not survive Text().
    if (ch == QLatin1Char(' ') || ch == FBlank)
        return false;
    switch (kind.unicode()) {
    case '9':
    case '0':
        return ch.isDigit();
    case '#':
        return ch.isDigit() || ch == QLatin1Char('+') || ch == QLatin1Char('-');
    default:
        return ch.isPrint();
    }
}

bool TEditMask::Accepts(int pos, QChar ch) const
{
    return pos >= 0 && pos < PlaceCount() && IsPlace(pos) && Takes(FPattern.at(pos), ch);
}

int TEditMask::NextPlace(int pos) const
{
    for (int i = qMax(pos, 0); i < PlaceCount(); ++i)
        if (IsPlace(i))
            return i;
    return -1;
}

int TEditMask::PrevPlace(int pos) const
{
    for (int i = qMin(pos, PlaceCount()) - 1; i >= 0; --i)
        if (IsPlace(i))
            return i;
    return -1;
}

int TEditMask::Type(int pos, QChar ch)
{
    const int at = NextPlace(pos);
    if (at < 0 || !Takes(FPattern.at(at), ch))
        return -1;
    FShown[at] = ch;
    const int after = NextPlace(at + 1);
    return after < 0 ? at + 1 : after;
}

void TEditMask::ClearRange(int from, int to)
{
    // A field without a selection reports its start as -1.
    for (int i = qMax(from, 0); i < to && i < PlaceCount(); ++i)
        if (IsPlace(i))
            FShown[i] = FBlank;
}

} // namespace ui
