#include "ui/MaskEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QKeySequence>

namespace ui {
namespace {

bool IsPlaceKind(QChar c)
{
    return c == QLatin1Char('9') || c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char('c') ||
           c == QLatin1Char('C');
}

} // namespace

TMaskEdit::TMaskEdit(QWidget* parent) : QLineEdit(parent) {}

void TMaskEdit::SetEditMask(const QString& mask)
{
    const QString kept = Text();
    FEditMask = mask;
    const QStringList parts = mask.split(QLatin1Char(';'));
    FBlank = parts.size() >= 3 && !parts[2].isEmpty() ? parts[2].at(0) : QLatin1Char('_');
    FPlaces.clear();
    for (const QChar c : parts.value(0))
        FPlaces.push_back(IsPlaceKind(c) ? Place{c, QChar()} : Place{QChar(), c});
    setMaxLength(FPlaces.empty() ? 32767 : static_cast<int>(FPlaces.size()));
    SetText(kept);
}

QString TMaskEdit::Text() const
{
    if (FPlaces.empty())
        return QLineEdit::text();
    int last = -1;
    for (int i = 0; i < PlaceCount(); ++i)
        if (!FPlaces[i].kind.isNull() && !FPlaces[i].value.isNull())
            last = i;
    QString text;
    for (int i = 0; i <= last; ++i) {
        const Place& p = FPlaces[i];
        if (p.kind.isNull())
            continue;
        // An empty place before the last filled one reads as a blank.
        text.append(p.value.isNull() ? QLatin1Char(' ') : p.value);
    }
    return text;
}

void TMaskEdit::SetText(const QString& text)
{
    if (FPlaces.empty()) {
        QLineEdit::setText(text);
        return;
    }
    int next = 0;
    for (Place& p : FPlaces) {
        if (p.kind.isNull())
            continue;
        p.value = QChar();
        if (next >= text.size())
            continue;
        const QChar ch = text.at(next++);
        if (ch != QLatin1Char(' ') && ch != FBlank && Accepts(p, ch))
            p.value = ch;
    }
    Refresh(0);
}

QString TMaskEdit::EditText() const
{
    if (FPlaces.empty())
        return QLineEdit::text();
    QString text;
    for (const Place& p : FPlaces)
        text.append(p.kind.isNull() ? p.value : (p.value.isNull() ? FBlank : p.value));
    return text;
}

void TMaskEdit::Clear() { SetText(QString()); }

bool TMaskEdit::Accepts(const Place& place, QChar ch) const
{
    // Both read as an empty place, so a place holding one would not survive Text().
    if (ch == QLatin1Char(' ') || ch == FBlank)
        return false;
    switch (place.kind.unicode()) {
    case '9':
    case '0':
        return ch.isDigit();
    case '#':
        return ch.isDigit() || ch == QLatin1Char('+') || ch == QLatin1Char('-');
    default:
        return ch.isPrint();
    }
}

int TMaskEdit::NextPlace(int pos) const
{
    for (int i = qMax(pos, 0); i < PlaceCount(); ++i)
        if (!FPlaces[i].kind.isNull())
            return i;
    return -1;
}

int TMaskEdit::PrevPlace(int pos) const
{
    for (int i = qMin(pos, PlaceCount()) - 1; i >= 0; --i)
        if (!FPlaces[i].kind.isNull())
            return i;
    return -1;
}

void TMaskEdit::Refresh(int cursor)
{
    QLineEdit::setText(EditText());
    setCursorPosition(qBound(0, cursor, PlaceCount()));
}

void TMaskEdit::TypeChar(QChar ch)
{
    const int at = NextPlace(cursorPosition());
    if (at < 0 || !Accepts(FPlaces[at], ch))
        return;
    FPlaces[at].value = ch;
    const int after = NextPlace(at + 1);
    Refresh(after < 0 ? at + 1 : after);
}

void TMaskEdit::keyPressEvent(QKeyEvent* event)
{
    if (FPlaces.empty() || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const bool hasSel = hasSelectedText();
    const int selStart = selectionStart();
    const int selEnd = selStart + selectedText().size();
    auto clearRange = [this](int from, int to) {
        for (int i = from; i < to && i < PlaceCount(); ++i)
            if (!FPlaces[i].kind.isNull())
                FPlaces[i].value = QChar();
    };
    if (event->matches(QKeySequence::Paste)) {
        if (hasSel) {
            clearRange(selStart, selEnd);
            Refresh(selStart);
        }
        for (const QChar ch : QApplication::clipboard()->text())
            TypeChar(ch);
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        if (hasSel) {
            copy();
            clearRange(selStart, selEnd);
            Refresh(selStart);
        }
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (hasSel) {
            clearRange(selStart, selEnd);
            Refresh(selStart);
        } else if (const int at = PrevPlace(cursorPosition()); at >= 0) {
            FPlaces[at].value = QChar();
            Refresh(at);
        }
        return;
    case Qt::Key_Delete:
        if (hasSel) {
            clearRange(selStart, selEnd);
            Refresh(selStart);
        } else if (const int at = NextPlace(cursorPosition()); at >= 0) {
            FPlaces[at].value = QChar();
            Refresh(cursorPosition());
        }
        return;
    default:
        break;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        if (hasSel) {
            clearRange(selStart, selEnd);
            Refresh(selStart);
        }
        for (const QChar ch : typed)
            TypeChar(ch);
        return;
    }
    // Navigation, selection and copying keep the line edit's own handling.
    QLineEdit::keyPressEvent(event);
}

void TMaskEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (!FPlaces.empty() && QLineEdit::text() != EditText())
        Refresh(cursorPosition());
}

void TMaskEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (FPlaces.empty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    for (const QChar ch : event->commitString())
        TypeChar(ch);
    event->accept();
}

} // namespace ui
