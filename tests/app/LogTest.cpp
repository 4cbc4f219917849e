#include "app/Frames.h"
#include "app/Unit1.h"
#include "support/FakePort.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "ui/LogView.h"
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::SetClock([] { return QDateTime(QDate(2026, 1, 2), QTime(14, 3, 27, 15)); });
        ui::SetSaveDialogHook([this](const QString& filter, const QString& ext) -> std::optional<QString> {
            DialogFilter = filter;
            DialogExt = ext;
            if (Choice.isEmpty())
                return std::nullopt;
            return Choice;
        });
    }
    void TearDown() override
    {
        ui::SetClock({});
        ui::SetSaveDialogHook({});
    }
    QString FilePath(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    FakePort port;
    TForm1 form{&port};
    QString Choice;
    QString DialogFilter, DialogExt;
};

TEST_F(LogTest, MemoKeepsTheLast201Lines)
{
    for (int i = 1; i <= 250; ++i)
        form.LogLine("line " + QByteArray::number(i));
    const QStringList lines = form.Memo1->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 201);
    EXPECT_EQ(lines.first(), "line 50");
    EXPECT_EQ(lines.last(), "line 250");
}

TEST_F(LogTest, TimePrefixHasNoLeadingZeros)
{
    EXPECT_EQ(TimePrefix(QTime(9, 5, 3, 7)), QByteArray("9:5:3:7:"));
    form.CheckBox1->setChecked(true);
    form.LogLine("~001T63");
    EXPECT_EQ(form.Memo1->toPlainText(), "14:3:27:15:~001T63");
}

TEST_F(LogTest, RecordingWritesRawBytesWithCrLfAndAppends)
{
    const QString path = FilePath("log.txt");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old\r\n");
    }
    Choice = path;
    form.Button3->click();
    EXPECT_EQ(DialogFilter, "*.txt|*.txt");
    EXPECT_EQ(DialogExt, "txt");
    EXPECT_EQ(form.Button3->text(), "Остановить запись");
    form.CheckBox1->setChecked(true);
    form.LogLine(MakeFrame("#1001T"));
    form.CheckBox1->setChecked(false);
    form.LogLine("~001\xD1\xE5");
    // Stopping and starting again with the same file continues it.
    form.Button3->click();
    EXPECT_EQ(form.Button3->text(), "Начать запись");
    form.LogLine("not recorded");
    form.Button3->click();
    form.Memo1->clear();
    form.LogLine("again");
    EXPECT_EQ(ReadAll(path), QByteArray("old\r\n14:3:27:15:#1001T39\r\r\n~001\xD1\xE5\r\nagain\r\n"));
}

TEST_F(LogTest, CancelledDialogChangesNothing)
{
    Choice = FilePath("first.txt");
    form.Button3->click();
    form.Button3->click();
    Choice.clear();
    form.Button3->click();
    EXPECT_FALSE(form.FRecording);
    EXPECT_EQ(form.Button3->text(), "Начать запись");
    EXPECT_EQ(form.FRecordFileName, FilePath("first.txt"));
}

TEST_F(LogTest, UnwritableFileIsReportedOnceAndRecordingStops)
{
    MessageRecorder messages;
    Choice = FilePath("missing-dir/log.txt");
    form.Button3->click();
    form.LogLine("a");
    form.LogLine("b");
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.FRecording);
    EXPECT_EQ(form.Button3->text(), "Начать запись");
    ASSERT_EQ(messages.Texts.size(), 1);
    EXPECT_EQ(messages.Texts[0],
              "Ошибка записи в файл протокола " + FilePath("missing-dir/log.txt") + "\nПапка не существует");
    EXPECT_EQ(form.Memo1->toPlainText(), "a\nb");
}

TEST_F(LogTest, CommonFileErrorsAreToldInRussian)
{
    const struct {
        int Error;
        const char* Reason;
    } rows[] = {
        {ENOENT, "Папка не существует"},
        {ENOTDIR, "Папка не существует"},
        {EACCES, "Нет прав на запись в файл"},
        {EPERM, "Нет прав на запись в файл"},
        {ENOSPC, "Нет места на диске"},
        {EDQUOT, "Нет места на диске"},
        {EROFS, "Файловая система доступна только для чтения"},
        {EIO, "Input/output error"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FileErrorReason(row.Error, "Input/output error"), QString::fromUtf8(row.Reason)) << row.Error;

    // A full disk, for real.
    MessageRecorder messages;
    Choice = QStringLiteral("/dev/full");
    form.Button3->click();
    form.LogLine("a");
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.Texts.size(), 1);
    EXPECT_EQ(messages.Texts[0], "Ошибка записи в файл протокола /dev/full\nНет места на диске");
}

TEST_F(LogTest, EngineKeepsPollingWhenRecordingFails)
{
    MessageRecorder messages;
    form.SetPanelFactory([](devices::TDeviceKind, TPanelHost&) { return nullptr; });
    Choice = FilePath("missing-dir/log.txt");
    form.Button3->click();
    PollActive = true;
    form.SendRequest(MakeFrame("#1001T"));
    form.SendRequest(MakeFrame("#1001T"));
    QCoreApplication::processEvents();
    EXPECT_EQ(port.Written.size(), 2);
    EXPECT_EQ(messages.Texts.size(), 1);
    PollActive = false;
}

} // namespace
