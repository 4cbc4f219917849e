// A group box that copies its drawn frame looks as the plain one does, also
// after whatever changes its look.
#include "ui/GroupBox.h"

#include <gtest/gtest.h>

#include "support/ImageDifference.h"

#include <QImage>
#include <QLineEdit>
#include <QRegion>

#include <functional>
#include <initializer_list>

TEST(GroupBox, LooksAsThePlainOneAfterEachChange)
{
    QGroupBox plain(QStringLiteral("Канал №1"));
    ui::TGroupBox copying(QStringLiteral("Канал №1"));
    for (QGroupBox* box : std::initializer_list<QGroupBox*>{&plain, &copying}) {
        box->resize(160, 90);
        (new QLineEdit(QStringLiteral("12,5"), box))->setGeometry(10, 30, 60, 20);
    }
    const struct {
        const char* Change;
        std::function<void(QGroupBox&)> Apply;
    } rows[] = {
        {"as made", [](QGroupBox&) {}},
        {"drawn again", [](QGroupBox&) {}},
        {"new title", [](QGroupBox& b) { b.setTitle(QStringLiteral("Канал №2")); }},
        {"resized", [](QGroupBox& b) { b.resize(200, 70); }},
        {"disabled", [](QGroupBox& b) { b.setEnabled(false); }},
        {"bold", [](QGroupBox& b) {
             QFont font = b.font();
             font.setBold(true);
             b.setFont(font);
         }},
        {"new value inside", [](QGroupBox& b) { b.findChild<QLineEdit*>()->setText(QStringLiteral("7")); }},
    };
    // A field and a piece of the caption and frame, as a repaint of parts asks.
    const QRegion parts = QRegion(8, 28, 64, 24) + QRegion(100, 0, 40, 14);
    const auto partly = [&parts](QGroupBox& box) {
        QImage image(box.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::magenta);
        box.render(&image, QPoint(), parts);
        return image;
    };
    for (const auto& row : rows) {
        row.Apply(plain);
        row.Apply(copying);
        // The copy is blended once more than the direct drawing, which may round
        // an edge pixel by one step; a stale copy differs by far more.
        EXPECT_LE(LargestDifference(copying.grab().toImage(), plain.grab().toImage()), 1) << row.Change;
        EXPECT_LE(LargestDifference(partly(copying), partly(plain)), 1) << row.Change << ", in parts";
    }
}
