// A count panel looks as the plain label does, whatever the count, the font
// and the size; texts it does not place itself are the label's own.
#include "ui/CountPanel.h"

#include <gtest/gtest.h>

#include <QImage>

TEST(CountPanel, LooksAsThePlainLabel)
{
    const char* texts[] = {"0", "7", "10", "11", "99", "100", "1234", "90817", "4444444", "2147483647",
                           "Запросы", "-5", "12 3", ""};
    const QSize sizes[] = {{100, 14}, {80, 14}, {57, 19}, {101, 15}};
    for (const QFont& font : {QFont(), QFont("DejaVu Sans", 8), QFont("DejaVu Sans", 11), QFont("DejaVu Sans Mono", 9)})
        for (const QSize& size : sizes) {
            QLabel plain;
            ui::TCountPanel counting;
            for (QLabel* label : {&plain, static_cast<QLabel*>(&counting)}) {
                label->setFont(font);
                label->setFixedSize(size);
                label->setAutoFillBackground(true);
                label->setAlignment(Qt::AlignCenter);
                label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            }
            for (const char* text : texts) {
                SCOPED_TRACE(font.toString().toStdString() + " " + std::to_string(size.width()) + "x" +
                             std::to_string(size.height()) + " " + text);
                plain.setText(QString::fromUtf8(text));
                counting.setText(QString::fromUtf8(text));
                EXPECT_TRUE(counting.grab().toImage() == plain.grab().toImage());
            }
        }
}
