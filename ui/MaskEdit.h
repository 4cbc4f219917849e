#pragma once

#include "ui/EditMask.h"

#include <QLineEdit>
#include <QString>

namespace ui {

// An edit field with an edit mask "pattern;0;blank" (see TEditMask). Text() is
// the filled places without literals up to the last filled one; EditText() is
// what the user sees, literals and blanks included. Without a pattern it is a
// plain line edit.
class TMaskEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TMaskEdit(QWidget* parent = nullptr);

    QString EditMask() const { return FMask.Mask(); }
    // A new mask keeps the characters of the filled places, in order.
    void SetEditMask(const QString& mask);

    QString Text() const;
    // Places the characters of text into the places, in order; extra ones are dropped.
    void SetText(const QString& text);
    QString EditText() const;
    void Clear();

    // Number of positions of the pattern, literals included.
    int PlaceCount() const { return FMask.PlaceCount(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void Refresh(int cursor);
    void ClearSelection(int from, int to);
    void TypeChar(QChar ch);

    TEditMask FMask;
};

} // namespace ui
