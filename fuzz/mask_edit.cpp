// The mask edit with any mask and any text, as a paste or a device could give.
#include "FuzzSupport.h"
#include "ui/MaskEdit.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QApplication>
#include <QKeyEvent>

namespace {

// The offscreen application that widgets need, built once and never destroyed.
void InitFuzzApplication()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zorvex_fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

ui::TMaskEdit* Edit = nullptr;

QString Utf16(const std::string& bytes)
{
    return QString(reinterpret_cast<const QChar*>(bytes.data()), qsizetype(bytes.size() / 2));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    InitFuzzApplication();
    Edit = new ui::TMaskEdit;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString mask = Utf16(in.ConsumeRandomLengthString(200));
    const QString text = Utf16(in.ConsumeRandomLengthString(400));
    const QString second = Utf16(in.ConsumeRemainingBytesAsString());

    Edit->SetEditMask(mask);
    Edit->SetText(text);
    const QString kept = Edit->Text();
    if (Edit->PlaceCount() > 0) {
        FUZZ_CHECK(Edit->EditText().size() == Edit->PlaceCount());
        FUZZ_CHECK(Edit->text() == Edit->EditText());
        FUZZ_CHECK(kept.size() <= Edit->PlaceCount());
        FUZZ_CHECK(!kept.endsWith(QLatin1Char(' ')));
    }
    // What Text() gives, SetText() takes back unchanged.
    const QString shown = Edit->EditText();
    Edit->SetText(kept);
    FUZZ_CHECK(Edit->Text() == kept);
    FUZZ_CHECK(Edit->EditText() == shown);

    // The rest is typed: low code units are editing keys, the others characters.
    static const int keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left,
                               Qt::Key_Right,     Qt::Key_Home,   Qt::Key_End};
    for (const QChar ch : second) {
        const char16_t u = ch.unicode();
        if (u < 12) {
            QKeyEvent press(QEvent::KeyPress, keys[u % 6], u < 6 ? Qt::NoModifier : Qt::ShiftModifier);
            QApplication::sendEvent(Edit, &press);
        } else {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(Edit, &press);
        }
    }
    const QString typed = Edit->Text();
    if (Edit->PlaceCount() > 0) {
        FUZZ_CHECK(Edit->EditText().size() == Edit->PlaceCount());
        FUZZ_CHECK(!typed.endsWith(QLatin1Char(' ')));
    }
    const QString typedShown = Edit->EditText();
    Edit->SetText(typed);
    FUZZ_CHECK(Edit->Text() == typed);
    FUZZ_CHECK(Edit->EditText() == typedShown);

    // Another mask over what is there, then emptied.
    Edit->SetEditMask(second);
    Edit->Clear();
    if (Edit->PlaceCount() > 0)
        FUZZ_CHECK(Edit->Text().isEmpty());
    return 0;
}
