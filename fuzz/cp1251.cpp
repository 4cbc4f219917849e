// The code page conversions both ways, on any bytes and any UTF-16 text.
#include "devices/Cp1251.h"
#include "FuzzSupport.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = devices::FromCp1251(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    QByteArray expected = bytes;
    expected.replace('\x98', '?'); // the one byte without a character
    FUZZ_CHECK(devices::ToCp1251(text) == expected);

    const QString any(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    const QByteArray encoded = devices::ToCp1251(any);
    FUZZ_CHECK(encoded.size() == any.size());
    const QString back = devices::FromCp1251(encoded);
    for (qsizetype i = 0; i < any.size(); ++i)
        FUZZ_CHECK(back.at(i) == any.at(i) || encoded.at(i) == '?');
    return 0;
}
