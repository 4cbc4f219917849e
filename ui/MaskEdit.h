#pragma once

#include <QLineEdit>
#include <QString>

#include <vector>

namespace ui {

// An edit field with an edit mask "pattern;0;blank". In the pattern "9" is a
// digit place that may stay empty, "#" a digit or sign, "c" any character and
// "," a literal. Text() is the filled places without literals up to the last
// filled one; EditText() is what the user sees, literals and blanks included.
class TMaskEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TMaskEdit(QWidget* parent = nullptr);

    QString EditMask() const { return FEditMask; }
    // A new mask keeps the characters of the filled places, in order.
    void SetEditMask(const QString& mask);

    QString Text() const;
    // Places the characters of text into the places, in order; extra ones are dropped.
    void SetText(const QString& text);
    QString EditText() const;
    void Clear();

    // Number of positions of the pattern, literals included.
    int PlaceCount() const { return static_cast<int>(FPlaces.size()); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    struct Place {
        QChar kind;  // '9', '#', 'c', or 0 for a literal
        QChar value; // the literal, or the character typed (0 when empty)
    };
    bool Accepts(const Place& place, QChar ch) const;
    int NextPlace(int pos) const;
    int PrevPlace(int pos) const;
    void Refresh(int cursor);
    void TypeChar(QChar ch);

    QString FEditMask;
    QChar FBlank = QLatin1Char('*');
    std::vector<Place> FPlaces;
};

} // namespace ui
