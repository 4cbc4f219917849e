#include "ui/Application.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <stdexcept>

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

TEST(ErrorHandler, NoticesComeWithoutBeep)
{
    MessageRecorder messages;
    ui::ShowMessage(QStringLiteral("Порт закрыт"));
    EXPECT_EQ(messages.Texts.size(), 1);
    EXPECT_EQ(messages.Beeps, 0);
}
