// A line edit whose frame is copied looks as the plain one does, also after
// whatever changes its look.
#include "ui/EditFrames.h"

#include <gtest/gtest.h>

#include "support/ImageDifference.h"

#include <QApplication>
#include <QLineEdit>

#include <array>
#include <functional>

TEST(EditFrames, LookAsThePlainOnesAfterEachChange)
{
    std::array<QWidget, 2> hosts; // plain, copying
    std::array<QLineEdit*, 2> edits{};
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        hosts[i].resize(220, 60);
        edits[i] = new QLineEdit(QStringLiteral("-0,00  кг/см"), &hosts[i]);
        edits[i]->setGeometry(6, 8, 150, 30);
        edits[i]->setReadOnly(true);
        hosts[i].show();
    }
    ui::CopyEditFrames(&hosts[1]);
    ASSERT_NE(edits[1]->style(), edits[0]->style());
    const struct {
        const char* Change;
        std::function<void(QLineEdit&)> Apply;
    } rows[] = {
        {"as made", [](QLineEdit&) {}},
        {"drawn again", [](QLineEdit&) {}},
        {"new value", [](QLineEdit& e) { e.setText(QStringLiteral("12,50  кг/см")); }},
        {"resized", [](QLineEdit& e) { e.resize(120, 24); }},
        {"focused", [](QLineEdit& e) { e.setFocus(); }},
        {"editable", [](QLineEdit& e) { e.setReadOnly(false); }},
        {"disabled", [](QLineEdit& e) { e.setEnabled(false); }},
        {"enabled", [](QLineEdit& e) { e.setEnabled(true); }},
        {"alarm",
         [](QLineEdit& e) {
             QPalette palette = e.palette();
             palette.setColor(QPalette::Base, Qt::red);
             e.setPalette(palette);
         }},
        {"alarm over", [](QLineEdit& e) { e.setPalette(QPalette()); }},
        {"frameless", [](QLineEdit& e) { e.setFrame(false); }},
    };
    for (const auto& row : rows) {
        std::array<QImage, 2> seen;
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            row.Apply(*edits[i]);
            hosts[i].activateWindow();
            QApplication::processEvents();
            seen[i] = hosts[i].grab().toImage();
        }
        EXPECT_EQ(LargestDifference(seen[1], seen[0]), 0) << row.Change;
    }
}
