#include "devices/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <string>

namespace devices {

QString FormatGeneral(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0"); // negative zero too

    // to_chars, unlike printf, never takes the decimal point from the locale.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    const std::string sci(buf, res.ptr);
    const bool negative = sci.front() == '-';
    const std::size_t mantStart = negative ? 1 : 0;
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (std::size_t i = mantStart; i < ePos; ++i)
        if (sci[i] != '.')
            digits.push_back(sci[i]);
    const int exponent = std::stoi(sci.substr(ePos + 1));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int n = static_cast<int>(digits.size());

    std::string out = negative ? "-" : "";
    if (exponent < -4 || exponent >= 15) {
        out += digits[0];
        if (n > 1)
            out += ',' + digits.substr(1);
        out += 'E' + std::to_string(exponent);
    } else if (exponent >= 0) {
        const int intLen = exponent + 1;
        if (n <= intLen) {
            out += digits + std::string(static_cast<std::size_t>(intLen - n), '0');
        } else {
            out += digits.substr(0, static_cast<std::size_t>(intLen)) + ',' +
                   digits.substr(static_cast<std::size_t>(intLen));
        }
    } else {
        out += "0," + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    return QString::fromLatin1(out.c_str());
}

std::optional<double> ParseNumber(const QString& text)
{
    const QString t = text.trimmed();
    std::string plain;
    int i = 0;
    const int len = static_cast<int>(t.size());
    auto digitsFrom = [&](int& at) {
        int count = 0;
        while (at < len && t.at(at) >= QLatin1Char('0') && t.at(at) <= QLatin1Char('9')) {
            plain.push_back(static_cast<char>(t.at(at).unicode()));
            ++at;
            ++count;
        }
        return count;
    };
    if (i < len && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+'))) {
        if (t.at(i) == QLatin1Char('-'))
            plain.push_back('-');
        ++i;
    }
    int mantissaDigits = digitsFrom(i);
    if (i < len && t.at(i) == QLatin1Char(',')) {
        plain.push_back('.');
        ++i;
        mantissaDigits += digitsFrom(i);
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < len && (t.at(i) == QLatin1Char('E') || t.at(i) == QLatin1Char('e'))) {
        plain.push_back('e');
        ++i;
        if (i < len && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+')))
            plain.push_back(static_cast<char>(t.at(i++).unicode()));
        if (digitsFrom(i) == 0)
            return std::nullopt;
    }
    if (i != len)
        return std::nullopt;
    if (!plain.empty() && plain.back() == '.')
        plain.pop_back();
    double value = 0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (res.ec != std::errc() || res.ptr != plain.data() + plain.size())
        return std::nullopt;
    return value;
}

QString LongTimeText(const QTime& time) { return time.toString(QStringLiteral("hh:mm:ss")); }

} // namespace devices
