#include "ui/RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace ui {

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : TGroupBox(caption, parent), FGroup(new QButtonGroup(this))
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    const int perRow = qMax(columns, 1);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        FGroup->addButton(button, i);
        grid->addWidget(button, i / perRow, i % perRow);
    }
    connect(FGroup, &QButtonGroup::idClicked, this, &TRadioGroup::Click);
}

int TRadioGroup::ItemIndex() const { return FGroup->checkedId(); }

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton* button = FGroup->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps its checked button; let go of it for a moment.
    FGroup->setExclusive(false);
    for (QAbstractButton* button : FGroup->buttons())
        button->setChecked(false);
    FGroup->setExclusive(true);
}

QRadioButton* TRadioGroup::Item(int index) const { return qobject_cast<QRadioButton*>(FGroup->button(index)); }

int TRadioGroup::Count() const { return static_cast<int>(FGroup->buttons().size()); }

} // namespace ui
