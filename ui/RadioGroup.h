#pragma once

#include "ui/GroupBox.h"

#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace ui {

// A captioned group of radio buttons laid out in columns, one of which may be
// chosen. Click is emitted when the user chooses an item, never when the
// program sets one.
class TRadioGroup : public TGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);

    // The chosen item, -1 for none.
    int ItemIndex() const;
    // -1, or an index outside the items, leaves no item chosen.
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const;
    int Count() const;

signals:
    void Click();

private:
    QButtonGroup* FGroup;
};

} // namespace ui
