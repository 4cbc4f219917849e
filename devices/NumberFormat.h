#pragma once

#include <QString>
#include <QTime>

#include <optional>

namespace devices {

// The program's general number format: rounded to 15 significant digits, no
// trailing zeros, no thousands separators, decimal comma only with a fraction,
// exponent form ("1,25E-5") for non-zero magnitudes below 0.0001 and from 1E15.
// Independent of the machine's locale.
QString FormatGeneral(double value);

// Reads a number written with the decimal comma: optional sign, digits, an
// optional comma with or without digits after it ("101," reads as 101) and an
// optional exponent. Surrounding blanks are allowed; anything else fails.
std::optional<double> ParseNumber(const QString& text);

// A time of day as the program's long time format writes it ("09:05:07").
QString LongTimeText(const QTime& time);

} // namespace devices
