#pragma once

#include <QFont>
#include <QLabel>
#include <QRawFont>

#include <array>

namespace ui {

// A status panel that shows a count. The count changes on every answer, and a
// label lays out and shapes its text anew at each paint; a number is placed
// here from the digits' glyphs, taken once for the font, just where the label
// would place them. Any other text, look or style is left to the label.
class TCountPanel final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct TDigits {
        bool Checked = false;
        QFont Font;
        int Dpi = 0;
        QRawFont Raw;
        std::array<quint32, 10> Glyphs{};
        std::array<qreal, 10> Advances{};
        qreal Ascent = 0;
        qreal Height = 0;
        bool Placeable = false; // each digit's advance holds beside any other
    };
    // The text is a count this panel can place itself, as the label would.
    bool ShowsPlaceableCount();
    const TDigits& Digits();

    TDigits FDigits;
};

} // namespace ui
