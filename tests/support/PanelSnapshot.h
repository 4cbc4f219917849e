#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>

// Everything a panel shows the technician, as one comparable list: texts,
// hidden labels, chosen entries, checked and enabled buttons, tool tips.
inline QStringList PanelSnapshot(const QWidget& panel)
{
    QStringList shown;
    for (const QWidget* w : panel.findChildren<QWidget*>()) {
        QString line = w->objectName() + QLatin1Char('|') + (w->isHidden() ? u'h' : u'v') + QLatin1Char('|') +
                       w->toolTip() + QLatin1Char('|');
        if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            line += edit->text();
        else if (const auto* label = qobject_cast<const QLabel*>(w))
            line += label->text();
        else if (const auto* memo = qobject_cast<const QPlainTextEdit*>(w))
            line += memo->toPlainText();
        else if (const auto* box = qobject_cast<const QComboBox*>(w))
            line += QString::number(box->currentIndex());
        else if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            line += QString::number(int(button->isChecked())) + QString::number(int(button->isEnabled()));
        shown.append(line);
    }
    return shown;
}
