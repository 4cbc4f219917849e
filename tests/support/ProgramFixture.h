#pragma once

#include "support/SimFixture.h"

#include "app/Frames.h"
#include "app/Unit1.h"
#include "panels/PanelFactory.h"
#include "ui/ComboBox.h"
#include "ui/Dialogs.h"
#include "ui/MaskEdit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <memory>

// The real main window with the real panels and port, polling device 001 of the
// simulator at 19200 bit/s.
class ProgramTest : public SimTest {
protected:
    // model: an index of the device list; simArgs: faults and pacing of the simulator.
    void Start(int model, const QStringList& simArgs = {})
    {
        Open(model, simArgs);
        if (HasFatalFailure())
            return;
        form->Button1->click();
        ASSERT_TRUE(PollActive);
    }
    // The same up to "Старт": port open, model chosen, number typed, polling off.
    void Open(int model, const QStringList& simArgs = {})
    {
        StartSim(simArgs);
        form = std::make_unique<TForm1>();
        form->SetPanelFactory(&panels::CreatePanel);
        ui::SetMessageSink([this](const QString& text, bool) { Messages << text; });
        const int index = form->ComboBox1->findText(PortName);
        ASSERT_GE(index, 0);
        form->ComboBox1->setCurrentIndex(index);
        form->ComboBox2->setCurrentIndex(3); // 19200: the simulator paces at the port's speed
        emit form->ComboBox1->activated(index);
        ASSERT_TRUE(form->BComPort1->Connected());
        form->ComboBox3->setCurrentIndex(model);
        form->MaskEdit1->SetText("001");
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
