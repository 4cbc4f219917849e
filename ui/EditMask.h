#pragma once

#include <QChar>
#include <QString>

namespace ui {

// The edit mask "pattern;0;blank" of a field and the characters in its places,
// apart from any widget so that it can be checked alone. In the pattern "9" is
// a digit place that may stay empty, "#" a digit or sign, "c" any character and
// "," a literal. Positions count the pattern's characters, literals included.
class TEditMask {
public:
    QString Mask() const { return FMask; }
    // A new mask keeps the characters of the filled places, in order.
    void SetMask(const QString& mask);

    QChar Blank() const { return FBlank; }
    int PlaceCount() const { return static_cast<int>(FPattern.size()); }

    // The filled places without literals up to the last filled one; an empty
    // place before it reads as a space. Empty while the pattern is empty.
    QString Text() const;
    // Places the characters of text into the places, in order; extra ones are dropped.
    void SetText(const QString& text);
    // One character per position: literals, characters and blanks.
    QString EditText() const { return FShown; }
    void Clear();

    // Whether the place at pos would take ch; never for a literal.
    bool Accepts(int pos, QChar ch) const;
    // The first place at or after pos, or -1.
    int NextPlace(int pos) const;
    // The last place before pos, or -1.
    int PrevPlace(int pos) const;

    // Puts ch into the first place at or after pos and returns where the cursor
    // goes next, or -1 when that place does not take it (nothing changes then).
    int Type(int pos, QChar ch);
    // Empties the places in [from, to); literals stay.
    void ClearRange(int from, int to);

private:
    bool IsPlace(int pos) const;
    bool Takes(QChar kind, QChar ch) const;

    QString FMask;
    QChar FBlank = QLatin1Char('*');
    QString FPattern; // a place kind or a literal per position
    // What EditText() gives, kept up to date as the field asks for it after
    // every key. A place never takes the blank, so the blank marks it empty.
    QString FShown;
};

} // namespace ui
