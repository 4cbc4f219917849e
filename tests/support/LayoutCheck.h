#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRect>
#include <QScrollArea>
#include <QSize>
#include <QStringList>
#include <QWidget>

// The scroll box whose content content is, if it is one.
inline QScrollArea* ScrollBoxOf(const QWidget* content)
{
    QWidget* viewport = content->parentWidget();
    auto* box = viewport ? qobject_cast<QScrollArea*>(viewport->parentWidget()) : nullptr;
    return box && box->widget() == content ? box : nullptr;
}

// The content area a panel gets in the main window's maximised child window.
inline const QSize kPanelArea(790, 315);

// What a user would see cut on a shown panel: every visible child must lie
// inside its parent and inside the panel, and a control with text must have
// at least the size its text needs. The content of a scroll box may run past
// it downwards but not sideways; what it holds must lie inside the content.
// Returns one line per fault.
inline QStringList ClippedWidgets(QWidget& panel)
{
    QStringList faults;
    auto name = [](const QWidget* w) {
        const QString text =
            w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
        if (const auto* label = qobject_cast<const QLabel*>(w))
            return text + QStringLiteral(" \"") + label->text() + QLatin1Char('"');
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            return text + QStringLiteral(" \"") + button->text() + QLatin1Char('"');
        return text;
    };
    auto rect = [](const QRect& r) {
        return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    for (QWidget* w : panel.findChildren<QWidget*>()) {
        if (w->isWindow() || !w->isVisible())
            continue;
        const QRect own = w->geometry();
        if (const QScrollArea* box = ScrollBoxOf(w)) {
            if (w->width() > box->viewport()->width())
                faults << name(w) + QStringLiteral(" at ") + rect(own) +
                              QStringLiteral(" is wider than its scroll box");
            continue;
        }
        QWidget* bound = &panel;
        for (QWidget* up = w->parentWidget(); up != &panel; up = up->parentWidget())
            if (ScrollBoxOf(up)) {
                bound = up;
                break;
            }
        if (!w->parentWidget()->rect().contains(own))
            faults << name(w) + QStringLiteral(" at ") + rect(own) + QStringLiteral(" leaves its parent ") +
                          name(w->parentWidget()) + rect(w->parentWidget()->rect());
        const QRect onPanel(w->mapTo(bound, QPoint(0, 0)), w->size());
        if (!bound->rect().contains(onPanel))
            faults << name(w) + QStringLiteral(" at ") + rect(onPanel) + QStringLiteral(" leaves the panel");
        const bool hasText = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w);
        const QSize need = w->minimumSizeHint();
        if (hasText && (w->width() < need.width() || w->height() < need.height()))
            faults << name(w) + QStringLiteral(" is ") + rect(own) +
                          QStringLiteral(", needs %1x%2").arg(need.width()).arg(need.height());
    }
    return faults;
}
