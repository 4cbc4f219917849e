#include "ui/MaskEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QKeySequence>

namespace ui {

TMaskEdit::TMaskEdit(QWidget* parent) : QLineEdit(parent) {}

void TMaskEdit::SetEditMask(const QString& mask)
{
    // Without a pattern the characters live in the line edit, not in the mask.
    const QString kept = Text();
    FMask.SetMask(mask);
    setMaxLength(PlaceCount() == 0 ? 32767 : PlaceCount());
    SetText(kept);
}

QString TMaskEdit::Text() const
{
    if (PlaceCount() == 0)
        return QLineEdit::text();
    return FMask.Text();
}

void TMaskEdit::SetText(const QString& text)
{
    if (PlaceCount() == 0) {
        QLineEdit::setText(text);
        return;
    }
    FMask.SetText(text);
    Refresh(0);
}

QString TMaskEdit::EditText() const
{
    if (PlaceCount() == 0)
        return QLineEdit::text();
    return FMask.EditText();
}

void TMaskEdit::Clear() { SetText(QString()); }

void TMaskEdit::Refresh(int cursor)
{
    QLineEdit::setText(FMask.EditText());
    setCursorPosition(qBound(0, cursor, PlaceCount()));
}

void TMaskEdit::ClearSelection(int from, int to)
{
    FMask.ClearRange(from, to);
    Refresh(from);
}

void TMaskEdit::TypeChar(QChar ch)
{
    if (const int cursor = FMask.Type(cursorPosition(), ch); cursor >= 0)
        Refresh(cursor);
}

void TMaskEdit::keyPressEvent(QKeyEvent* event)
{
    if (PlaceCount() == 0 || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const bool hasSel = hasSelectedText();
    const int selStart = selectionStart();
    const int selEnd = selStart + selectedText().size();
    if (event->matches(QKeySequence::Paste)) {
        if (hasSel)
            ClearSelection(selStart, selEnd);
        for (const QChar ch : QApplication::clipboard()->text())
            TypeChar(ch);
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        if (hasSel) {
            copy();
            ClearSelection(selStart, selEnd);
        }
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (hasSel) {
            ClearSelection(selStart, selEnd);
        } else if (const int at = FMask.PrevPlace(cursorPosition()); at >= 0) {
            FMask.ClearRange(at, at + 1);
            Refresh(at);
        }
        return;
    case Qt::Key_Delete:
        if (hasSel) {
            ClearSelection(selStart, selEnd);
        } else if (const int at = FMask.NextPlace(cursorPosition()); at >= 0) {
            FMask.ClearRange(at, at + 1);
            Refresh(cursorPosition());
        }
        return;
    default:
        break;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        if (hasSel)
            ClearSelection(selStart, selEnd);
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
    if (PlaceCount() != 0 && QLineEdit::text() != EditText())
        Refresh(cursorPosition());
}

void TMaskEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (PlaceCount() == 0) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    for (const QChar ch : event->commitString())
        TypeChar(ch);
    event->accept();
}

} // namespace ui
