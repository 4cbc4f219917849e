#pragma once

#include <QComboBox>

#include <functional>

namespace ui {

// A drop-down list that lets its owner refresh the items just before they are shown.
class TComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    std::function<void()> OnDropDown;

    void showPopup() override
    {
        if (OnDropDown)
            OnDropDown();
        QComboBox::showPopup();
    }
};

} // namespace ui
