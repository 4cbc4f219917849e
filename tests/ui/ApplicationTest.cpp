#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <cstdlib>
#include <stdexcept>
#include <thread>

TEST(ErrorHandler, WhatAHandlerThrowsIsShownWithBeepAndTheClickReturns)
{
    MessageRecorder messages;
    QPushButton button;
    int after = 0;
    QObject::connect(&button, &QPushButton::clicked, &button,
                     ui::Guard([] { throw std::runtime_error("Ошибка записи в порт"); }));
    QObject::connect(&button, &QPushButton::clicked, &button, [&after] { ++after; });
    button.click();
    EXPECT_EQ(messages.Texts, QStringList{QStringLiteral("Ошибка записи в порт")});
    EXPECT_EQ(messages.Beeps, 1);
    EXPECT_EQ(after, 1); // later slots of the same signal still run
}

TEST(ErrorHandler, ErrorsToldAnotherWayAreNotShownAgain)
{
    MessageRecorder messages;
    ui::SetSilentErrors([](const std::exception& e) { return dynamic_cast<const std::range_error*>(&e) != nullptr; });
    ui::HandleException(std::range_error("Ошибка чтения из порта"));
    ui::HandleException(std::runtime_error("Ошибка записи в порт"));
    ui::SetSilentErrors({});
    ui::HandleException(std::range_error("Ошибка функции ClearCommError"));
    EXPECT_EQ(messages.Texts, QStringList({"Ошибка записи в порт", "Ошибка функции ClearCommError"}));
}

TEST(ErrorHandler, NoticesComeWithoutBeep)
{
    MessageRecorder messages;
    ui::ShowMessage(QStringLiteral("Порт закрыт"));
    EXPECT_EQ(messages.Texts.size(), 1);
    EXPECT_EQ(messages.Beeps, 0);
}

// The save dialog of the recording and the buttons of every message box speak Russian.
TEST(QtTexts, DialogButtonsAreRussian)
{
    ASSERT_TRUE(ui::InstallQtTranslations());
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZORVEX 1.4.1"), QStringLiteral("Порт закрыт"),
                    QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Да"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove(u'&'), QStringLiteral("Нет"));

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList buttons;
    for (const QPushButton* button : dialog.findChildren<QPushButton*>())
        buttons << button->text().remove(u'&');
    EXPECT_TRUE(buttons.contains(QStringLiteral("Сохранить"))) << buttons.join(u',').toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Отмена"))) << buttons.join(u',').toStdString();
}

// The log's time of day is the zone's, whichever zone the machine is in.
TEST(Clock, TimeOfDayIsTheLocalOne)
{
    const QByteArray saved = qgetenv("TZ");
    for (const char* zone : {"UTC0", "MSK-3", "EST5", "NPT-5:45"}) {
        qputenv("TZ", zone);
        QTime shown, local;
        // A thread of its own, as the offset is kept per thread for a minute.
        std::thread([&] {
            shown = ui::Now().time();
            local = QDateTime::currentDateTime().time();
        }).join();
        EXPECT_LE(std::abs(shown.msecsTo(local)), 1000) << zone << " " << shown.toString().toStdString()
                                                         << " " << local.toString().toStdString();
    }
    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
}
