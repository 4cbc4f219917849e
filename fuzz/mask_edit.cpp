// The edit mask of the mask edit with any mask, any text and any editing, as a
// paste or a device could give; the widget only hands its keys over to it.
#include "FuzzSupport.h"
#include "ui/EditMask.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QStringList>

#include <vector>

namespace {

QString Utf16(const std::string& bytes)
{
    return QString(reinterpret_cast<const QChar*>(bytes.data()), qsizetype(bytes.size() / 2));
}

std::vector<bool> PlacesOf(const ui::TEditMask& m)
{
    std::vector<bool> places(std::size_t(m.PlaceCount()));
    for (int i = m.NextPlace(0); i >= 0; i = m.NextPlace(i + 1))
        places[std::size_t(i)] = true;
    return places;
}

// What holds after anything: one shown character per position, literals as in
// the empty field, and Text() read back through SetText() changes nothing.
void CheckConsistent(ui::TEditMask& m, const std::vector<bool>& places, const QString& empty)
{
    const QString text = m.Text();
    const QString shown = m.EditText();
    FUZZ_CHECK(shown.size() == m.PlaceCount());
    FUZZ_CHECK(text.size() <= m.PlaceCount());
    FUZZ_CHECK(!text.endsWith(QLatin1Char(' ')));
    for (int i = 0; i < m.PlaceCount(); ++i)
        FUZZ_CHECK(places[std::size_t(i)] ? shown.at(i) == m.Blank() || m.Accepts(i, shown.at(i))
                                          : shown.at(i) == empty.at(i));
    m.SetText(text);
    FUZZ_CHECK(m.Text() == text);
    FUZZ_CHECK(m.EditText() == shown);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString mask = Utf16(in.ConsumeRandomLengthString(200));
    const QString text = Utf16(in.ConsumeRandomLengthString(400));
    const QString keys = Utf16(in.ConsumeRandomLengthString(400));
    const QString second = Utf16(in.ConsumeRemainingBytesAsString());

    ui::TEditMask m;
    m.SetMask(mask);
    FUZZ_CHECK(m.Mask() == mask);
    FUZZ_CHECK(m.Text().isEmpty());
    const std::vector<bool> places = PlacesOf(m);
    const QString empty = m.EditText();
    const QStringList parts = mask.split(QLatin1Char(';'));
    const QString pattern = parts.value(0);
    FUZZ_CHECK(m.PlaceCount() == pattern.size());
    FUZZ_CHECK(m.Blank() == (parts.value(2).isEmpty() ? QLatin1Char('_') : parts[2].at(0)));
    for (int i = 0; i < m.PlaceCount(); ++i)
        FUZZ_CHECK(empty.at(i) == (places[std::size_t(i)] ? m.Blank() : pattern.at(i)));
    m.SetText(text);
    CheckConsistent(m, places, empty);

    // Low code units are editing keys, the others typed characters; the cursor
    // stays within the field as the line edit keeps it. What the field should
    // show is kept alongside and compared after every key.
    QString shown = m.EditText();
    auto clear = [&](int from, int to) {
        m.ClearRange(from, to);
        for (int i = qMax(from, 0); i < qMin(to, m.PlaceCount()); ++i)
            if (places[std::size_t(i)])
                shown[i] = m.Blank();
    };
    int cursor = 0;
    for (const QChar ch : keys) {
        const char16_t u = ch.unicode();
        if (u == 0) { // backspace
            const int at = m.PrevPlace(cursor);
            FUZZ_CHECK(at < cursor);
            if (at >= 0) {
                clear(at, at + 1);
                cursor = at;
            }
        } else if (u == 1) { // delete
            if (const int at = m.NextPlace(cursor); at >= 0) {
                FUZZ_CHECK(at >= cursor);
                clear(at, at + 1);
            }
        } else if (u == 2) {
            cursor = qMax(cursor - 1, 0);
        } else if (u == 3) {
            cursor = qMin(cursor + 1, m.PlaceCount());
        } else if (u == 4) {
            cursor = 0;
        } else if (u == 5) {
            cursor = m.PlaceCount();
        } else if (u < 16) { // a selection after or before the cursor, reaching past the ends
            clear(u < 11 ? cursor : cursor - (u - 10), u < 11 ? cursor + (u - 5) : cursor);
        } else {
            const int at = m.NextPlace(cursor);
            const int after = m.Type(cursor, ch);
            if (after < 0) {
                FUZZ_CHECK(at < 0 || !m.Accepts(at, ch));
            } else {
                FUZZ_CHECK(at >= cursor && m.Accepts(at, ch));
                FUZZ_CHECK(ch != QLatin1Char(' ') && ch != m.Blank());
                // On to the next place, or just past this one when none follows.
                FUZZ_CHECK(after > at && after <= m.PlaceCount() && m.PrevPlace(after) == at);
                FUZZ_CHECK((after < m.PlaceCount() && places[std::size_t(after)]) ||
                           (after == at + 1 && m.NextPlace(after) < 0));
                shown[at] = ch;
                cursor = after;
            }
        }
        FUZZ_CHECK(cursor >= 0 && cursor <= m.PlaceCount());
        FUZZ_CHECK(m.EditText() == shown);
    }
    CheckConsistent(m, places, empty);

    // Another mask: each character stays in its turn unless the new place for it
    // rejects it or there is none.
    const QString kept = m.Text();
    m.SetMask(second);
    const QString now = m.Text();
    FUZZ_CHECK(now.size() <= kept.size());
    int pos = m.NextPlace(0);
    for (int k = 0; k < kept.size(); ++k) {
        const bool stays = pos >= 0 && m.Accepts(pos, kept.at(k));
        FUZZ_CHECK(stays == (k < now.size() && now.at(k) != QLatin1Char(' ')));
        if (stays)
            FUZZ_CHECK(now.at(k) == kept.at(k));
        pos = pos < 0 ? -1 : m.NextPlace(pos + 1);
    }
    m.Clear();
    FUZZ_CHECK(m.Text().isEmpty());
    const std::vector<bool> placesNow = PlacesOf(m);
    const QString cleared = m.EditText();
    for (int i = 0; i < m.PlaceCount(); ++i)
        FUZZ_CHECK(!placesNow[std::size_t(i)] || cleared.at(i) == m.Blank());
    return 0;
}
