#pragma once

#include <QBoxLayout>
#include <QLayout>
#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <initializer_list>

// Small pieces of layout and display that the panel forms share.
namespace panels {

// A widget under the name its form's manual uses.
template <class T> T* Named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// The forms' tight spacing, with the given margin all round.
inline void Compact(QLayout* layout, int margin)
{
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(3);
}

// A row of buttons at the left of a page's foot.
inline void AddButtonRow(QBoxLayout* column, std::initializer_list<QWidget*> buttons)
{
    auto* row = new QHBoxLayout;
    for (QWidget* button : buttons)
        row->addWidget(button);
    row->addStretch();
    column->addLayout(row);
}

// A polled value into its field. An edit lays its text out anew on every
// setText, even the same text, and a value mostly stays as it was.
inline void ShowText(QLineEdit* field, const QString& text)
{
    if (field->text() != text)
        field->setText(text);
}

} // namespace panels
