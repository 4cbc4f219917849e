#include "devices/NumberFormat.h"

#include <algorithm>
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
    // Written into fixed buffers: the counters' tool tip and every Сельта
    // value come through here on each answer.
    char sci[32];
    const auto res = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 14);
    const bool negative = sci[0] == '-';
    const char* const ePos = std::find(sci, res.ptr, 'e');
    char digits[16];
    int n = 0;
    for (const char* c = sci + (negative ? 1 : 0); c < ePos; ++c)
        if (*c != '.')
            digits[n++] = *c;
    int exponent = 0;
    std::from_chars(ePos + (ePos[1] == '+' ? 2 : 1), res.ptr, exponent);
    while (n > 1 && digits[n - 1] == '0')
        --n;

    char out[48];
    int length = 0;
    const auto put = [&](char c) { out[length++] = c; };
    const auto putDigits = [&](int from, int to) {
        for (int i = from; i < to; ++i)
            put(digits[i]);
    };
    if (negative)
        put('-');
    if (exponent < -4 || exponent >= 15) {
        put(digits[0]);
        if (n > 1) {
            put(',');
            putDigits(1, n);
        }
        put('E');
        length = static_cast<int>(std::to_chars(out + length, out + sizeof out, exponent).ptr - out);
    } else if (exponent >= 0) {
        const int intLength = exponent + 1;
        for (int i = 0; i < intLength; ++i)
            put(i < n ? digits[i] : '0');
        if (n > intLength) {
            put(',');
            putDigits(intLength, n);
        }
    } else {
        put('0');
        put(',');
        for (int i = 1; i < -exponent; ++i)
            put('0');
        putDigits(0, n);
    }
    return QString::fromLatin1(out, length);
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
