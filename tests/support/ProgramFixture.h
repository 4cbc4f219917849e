#pragma once

#include "support/SimFixture.h"

#include "app/Frames.h"
#include "app/Unit1.h"
#include "panels/PanelFactory.h"
#include "ui/ComboBox.h"
#include "ui/Dialogs.h"
#include "ui/MaskEdit.h"

#include <QPushButton>

#include <memory>

// The real main window with the real panels, its port open on zorvex-sim.
class ProgramSimTest : public SimTest {
protected:
    // Port opened at 19200 (the simulator paces at the port's speed), model
    // chosen and number 001 typed; polling not started.
    void Open(devices::TDeviceKind model)
    {
        StartSim();
        form = std::make_unique<TForm1>();
        form->SetPanelFactory(&panels::CreatePanel);
        ui::SetMessageSink([this](const QString& text, bool) { Messages << text; });
        const int index = form->ComboBox1->findText(PortName);
        ASSERT_GE(index, 0);
        form->ComboBox1->setCurrentIndex(index);
        form->ComboBox2->setCurrentIndex(3);
        emit form->ComboBox1->activated(index);
        ASSERT_TRUE(form->BComPort1->Connected());
        form->ComboBox3->setCurrentIndex(devices::KindIndex(model));
        form->MaskEdit1->SetText("001");
    }
    void Start(devices::TDeviceKind model)
    {
        Open(model);
        form->Button1->click();
        ASSERT_TRUE(PollActive);
    }
    void TearDown() override
    {
        form.reset();
        ui::SetMessageSink({});
        SimTest::TearDown();
    }
    std::unique_ptr<TForm1> form;
    QStringList Messages;
};
