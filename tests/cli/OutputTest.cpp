#include "cli/Output.h"

#include <gtest/gtest.h>

namespace {

cli::TRecord Sample()
{
    cli::TRecord r;
    r.Time = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 89));
    r.Model = "Сельта";
    r.Address = "002";
    r.ResponseMs = 12.345;
    r.ChecksumOk = true;
    r.Values = cli::TFields{{"ch1_current", "2,5  мА"}, {"ch1_count", 400}, {"ch1_depressurised", false}};
    r.Frame = "~002T\"x\"C1";
    return r;
}

// Each format keeps the values in the device's order, quotes what would break
// it, and leaves nothing of a record out.
TEST(OutputTest, RecordsPrintInEachFormat)
{
    struct Row {
        cli::TFormat Format;
        QStringList First;
        QStringList Unreadable; // the next record, without values or measure
    };
    const Row rows[] = {
        {cli::TFormat::Json,
         {"{\"time\":\"2026-03-04T05:06:07.089\",\"model\":\"Сельта\",\"address\":\"002\",\"response_ms\":12.35,"
          "\"checksum_ok\":true,\"values\":{\"ch1_current\":\"2,5  мА\",\"ch1_count\":400,\"ch1_depressurised\":false},"
          "\"frame\":\"~002T\\\"x\\\"C1\"}"},
         {"{\"time\":\"2026-03-04T05:06:07.089\",\"model\":\"Сельта\",\"address\":\"002\",\"response_ms\":null,"
          "\"checksum_ok\":false,\"values\":null,\"frame\":\"~002T\\\"x\\\"C1\"}"}},
        {cli::TFormat::Text,
         {"2026-03-04 05:06:07.089  Сельта  002  12.35 ms  ch1_current=2,5  мА  ch1_count=400  "
          "ch1_depressurised=false  ~002T\"x\"C1"},
         {"2026-03-04 05:06:07.089  Сельта  002  - ms  checksum!  ~002T\"x\"C1"}},
        {cli::TFormat::Csv,
         {"time,model,address,response_ms,checksum_ok,ch1_current,ch1_count,ch1_depressurised,frame",
          "2026-03-04T05:06:07.089,Сельта,002,12.35,true,\"2,5  мА\",400,false,\"~002T\"\"x\"\"C1\""},
         {"2026-03-04T05:06:07.089,Сельта,002,,false,,,,\"~002T\"\"x\"\"C1\""}},
    };
    for (const Row& row : rows) {
        cli::TRecordWriter writer(row.Format);
        EXPECT_EQ(writer.Lines(Sample()), row.First);
        cli::TRecord unreadable = Sample();
        unreadable.Values.reset();
        unreadable.ResponseMs.reset();
        unreadable.ChecksumOk = false;
        EXPECT_EQ(writer.Lines(unreadable), row.Unreadable);
    }
}

} // namespace
