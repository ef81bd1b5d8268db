#include "storage/DataFiles.h"

#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "platform/VirtualClock.h"
#include "support/MemoryLog.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

// A data folder, a parameter table for a plan and a reading store with `steps` steps, each
// ending at its set point with the sample grown by 16 ppm/°C (as measured, fixture removed).
struct Files {
    explicit Files(std::vector<int> plan) : folders(dir.path() + "app/", dir.path() + "sys/") {
        folders.DataPath = folders.DataRoot() + "Folder/";
        folders.DataFileName = "Bar";
        folders.SummaryFileName = folders.DataPath + "Bar_CTE.txt";
        std::filesystem::create_directories(folders.DataPath);
        params.SysParam(slot::SerialNumber) = 1234;
        params.SysParam(slot::AccuracyOption) = 1;
        params.SysParam(slot::NumberOfBatchTests) = static_cast<int>(plan.size());
        params.SysParam(slot::AddRoundTripTests) = 0;
        for (size_t i = 0; i < plan.size(); ++i)
            params.SysParam(slot::FirstBatchTemp + static_cast<int>(i)) = std::to_string(plan[i]);
        data.reset(static_cast<int>(plan.size()), 1);
        for (size_t s = 0; s < plan.size(); ++s)
            for (int r = 1; r <= 3; ++r) {
                const float t = static_cast<float>(plan[s]);
                data.append(static_cast<int>(s) + 1,
                            Reading{0.5f * r, 0.1f + 2.0f * (16.0f - 2.6f) * 1e-6f * (t - 20.0f), t,
                                    3.0f, 0.0f});
            }
    }
    TestRecord record() { return TestRecord{data, results, 2.0f, "Cu"}; }
    std::string file(const std::string& name) const { return folders.DataPath + name; }

    test::TempFolder dir;
    Folders folders;
    SystemParameters params;
    VirtualClock clock{QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9))};
    test::RecordingOperator op;
    test::MemoryLog log;
    StepData data;
    ResultTable results;
    DataFiles files{folders, params, clock, op, log};
};

TEST(RawDataFile, BytesOfTheFile) {
    Files f({20, 50});
    f.data.reading(1, 1).elapsedMinutes = 0.01f; // not above 0.01: left out
    ASSERT_TRUE(f.files.WriteDataToFile(f.record(), 0));
    const std::string bytes = *ReadFileBytes(f.file("Bar_CTE.dat"));
    const std::string title = "Elapsed (min.)     Ind. Reading (\xB5/)     Temp. (\xB0"
                              "C)Ind. Slope (\xB5/)     Proj. Ind. (\xB5/)\r\n";
    EXPECT_EQ(bytes.substr(0, 72),
              "Sample Length = 2.000\r\nAccuracy Option = 1\r\nTest #1\r\n" + title.substr(0, 19));
    EXPECT_NE(bytes.find(title +
                         "1.0,     0.100000,     20.00,     3,     0.000000\r\n"
                         "1.5,     0.100000,     20.00,     3,     0.000000\r\nTest #2\r\n"),
              std::string::npos)
        << bytes;
    EXPECT_NE(bytes.find("0.5,     0.100804,     50.00,     3,     0.000000\r\n"),
              std::string::npos);
    EXPECT_FALSE(IsFile(f.file("Bar_CTE.txt"))) << "the first step writes no summary";
}

TEST(RawDataFile, AReadingAtTheClocksWrapIsKeptThoseAsTheStepStartsAreNot) {
    const auto at = [](float minutes) { return Reading{minutes, 0.1f, 20.0f, 0.0f, 0.0f}; };
    // A step of more than a day: its column starts again at 0.0 after 1439.9.
    const std::vector<Reading> step{at(0.0f), at(0.01f), at(0.1f), at(1439.9f), at(0.0f),
                                    at(0.1f)};
    const auto kept = RawFileReadings(step);
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[0].elapsedMinutes, 0.1f);
    EXPECT_EQ(kept[2].elapsedMinutes, 0.0f) << "the reading at the wrap";
}

TEST(RawDataFile, ReadsBackWhatWasWritten) {
    Files f({20, 50, 80});
    ASSERT_TRUE(f.files.WriteDataToFile(f.record(), 2));
    const auto read = f.files.ReadRawDataFile(f.file("Bar_CTE.dat"), false);
    ASSERT_TRUE(read.ok()) << read.error().message;
    const StoredTest* stored = &read.value();
    EXPECT_FLOAT_EQ(stored->sampleLength, 2.0f);
    EXPECT_EQ(stored->accuracyOption, 1);
    // Readings keep one numbering across the steps: step 2 starts at slot 4.
    EXPECT_FLOAT_EQ(stored->data.value(1, ReadingColumn::Elapsed, 3), 1.5f);
    EXPECT_FLOAT_EQ(stored->data.value(2, ReadingColumn::Elapsed, 3), 0.0f);
    EXPECT_FLOAT_EQ(stored->data.value(2, ReadingColumn::Elapsed, 4), 0.5f);
    EXPECT_FLOAT_EQ(stored->data.value(3, ReadingColumn::Temperature, 9), 80.0f);

    const PlotPoints points = StoredPoints(stored->data, GraphKind::DisplacementTime);
    ASSERT_EQ(points.x.size(), 9u);
    EXPECT_DOUBLE_EQ(points.x[3], 1.5 + 0.5) << "step 2 follows step 1 on the time axis";
    EXPECT_DOUBLE_EQ(points.x[8], 1.5 + 1.5 + 1.5);
    const PlotPoints tempIndicator = StoredPoints(stored->data, GraphKind::DisplacementTemperature);
    EXPECT_DOUBLE_EQ(tempIndicator.x[8], 80.0);

    EXPECT_FALSE(f.files.ReadRawDataFile(f.file("Bar_CTE.dat"), true).ok())
        << "not while a test runs";

    PlotPoints loaded;
    ASSERT_TRUE(LoadStoredPoints(f.files, f.file("Bar_CTE.dat"), nullptr,
                                 GraphKind::TemperatureTime, false, loaded)
                    .ok());
    EXPECT_DOUBLE_EQ(loaded.y[8], 80.0) << "type 1: temperature against time";
    EXPECT_FLOAT_EQ(loaded.sampleLength, 2.0f);
    ASSERT_EQ(loaded.stepEnds.size(), 3u) << "one end per step for the CTE labels";
    EXPECT_FLOAT_EQ(loaded.stepEnds[2].temperature, 80.0f);
    EXPECT_FLOAT_EQ(loaded.stepEnds[2].elapsedMinutes, 1.5f) << "the last reading of the step";
    PlotPoints none;
    const auto blank =
        LoadStoredPoints(f.files, "  ", nullptr, GraphKind::DisplacementTime, false, none);
    EXPECT_FALSE(blank.ok());
    EXPECT_EQ(blank.error().message, "Invalid pathname:   ");
    const auto missing = LoadStoredPoints(f.files, f.file("none.dat"), nullptr,
                                          GraphKind::DisplacementTime, false, none);
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().message, "Invalid pathname: " + f.file("none.dat"));
    EXPECT_TRUE(none.x.empty());
    StepData empty;
    empty.reset(2, 1);
    const auto nothing =
        LoadStoredPoints(f.files, "", &empty, GraphKind::DisplacementTime, false, none);
    EXPECT_FALSE(nothing.ok());
    EXPECT_EQ(nothing.error().message, "No valid points found.");
    EXPECT_TRUE(
        LoadStoredPoints(f.files, "", &f.data, GraphKind::DisplacementTime, false, none).ok())
        << "the live test";
}

TEST(RawDataFile, AFileThatBreaksOffStillHandsOverWhatWasRead) {
    Files f({20, 50, 80});
    ASSERT_TRUE(f.files.WriteDataToFile(f.record(), 2));
    std::string text;
    const auto lines = ReadTextLines(f.file("Bar_CTE.dat"));
    ASSERT_TRUE(lines.has_value());
    for (const std::string& line : *lines) {
        text += line + "\r\n";
        if (line == "Test #3") break;
    }
    const std::string broken = f.dir.write("broken_CTE.dat", text + "1.0, 0.1, warm, 0, 0\r\n");
    PlotPoints points;
    const auto loaded =
        LoadStoredPoints(f.files, broken, nullptr, GraphKind::DisplacementTime, false, points);
    EXPECT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.error().message, kCorruptedFileMessage);
    EXPECT_EQ(points.x.size(), 6u) << "the readings of steps 1 and 2";
    EXPECT_EQ(points.stepEnds.size(), 2u);
}

TEST(RawDataFile, BadContentIsRefusedWithOneMessage) {
    const std::string head = "Sample Length = 2.000\r\nAccuracy Option = 1\r\n";
    const std::string t1 = "Test #1\r\n1.0, 0.1, 20, 0, 0\r\n";
    const std::string t2 = "Test #2\r\n1.0, 0.1, 50, 0, 0\r\n";
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"only step 1", head + t1},
        {"steps 1 then 3", head + t1 + "Test #3\r\n1.0, 0.1, 50, 0, 0\r\n"},
        {"no step header", head + "1.0, 0.1, 20, 0, 0\r\n" + t2},
        {"four fields", head + t1 + "Test #2\r\n1.0, 0.1, 50, 0\r\n"},
        {"text in a number", head + t1 + "Test #2\r\n1.0, 0.1, warm, 0, 0\r\n"},
        {"second sample length", head + t1 + head + t2},
        {"empty file", ""},
        {"step above ten", head + t1 + t2 + "Test #11\r\n"},
        {"beyond single precision", head + t1 + "Test #2\r\n1.0, 0.1, 50, 0, 1e39\r\n"},
    };
    Files f({20, 50});
    for (const auto& [what, content] : cases) {
        const std::string path = f.dir.write(std::string("bad/") + what, content);
        const auto read = f.files.ReadRawDataFile(path, false);
        EXPECT_FALSE(read.ok()) << what;
        if (!read.ok()) EXPECT_EQ(read.error().message, kCorruptedFileMessage) << what;
    }
    const std::string good = f.dir.write("good", head + t1 + t2 + "1.0, 0.1, 50, 0, 0, extra\r\n");
    EXPECT_TRUE(f.files.ReadRawDataFile(good, false).ok()) << "further fields are ignored";
}

TEST(Summary, ThreeStepBatchWritesTheSectionTheInterimFileAndTheReportLines) {
    Files f({20, 50, 80});
    std::vector<std::string> report;
    f.params.SysParam(slot::PdfDataWrite) = 1;

    ASSERT_TRUE(f.files.WriteDataToFile(f.record(), 1));
    EXPECT_FALSE(IsFile(f.file("Bar_CTE.txt"))) << "not before the batch is finished";
    EXPECT_EQ(ReadTextLines(f.file("TempDat.txt"))->size(), 3u);

    ASSERT_TRUE(f.files.WriteDataToFile(f.record(), 2));
    const auto interim = *ReadTextLines(f.file("TempDat.txt"));
    EXPECT_EQ(interim, (std::vector<std::string>{"0.100000",
                                                 " 20.0\xC2\xB0"
                                                 "C to  50.0\xC2\xB0"
                                                 "C: 16.0 \xC2\xB5/\xC2\xB0"
                                                 "C +/- 8.8%",
                                                 "0.100804",
                                                 " 50.0\xC2\xB0"
                                                 "C to  80.0\xC2\xB0"
                                                 "C: 16.0 \xC2\xB5/\xC2\xB0"
                                                 "C +/- 8.8%",
                                                 "0.101608"}));
    const std::string summary = *ReadFileBytes(f.file("Bar_CTE.txt"));
    EXPECT_EQ(summary, "[CTE Test Summary #]\r\n"
                       "Sample ID= Cu\r\n"
                       "Sample Length= 2.000 inches\r\n"
                       "Raw Data File= Bar_CTE.dat\r\n"
                       "CTE 1:= 20.0\xB0"
                       "C to  50.0\xB0"
                       "C: 16.0 \xB5/\xB0"
                       "C +/- 8.8%\r\n"
                       "CTE 2:= 50.0\xB0"
                       "C to  80.0\xB0"
                       "C: 16.0 \xB5/\xB0"
                       "C +/- 8.8%\r\n"
                       "CTE 3:= 20.0\xB0"
                       "C to  80.0\xB0"
                       "C: 16.0 \xB5/\xB0"
                       "C +/- 6.0%\r\n"
                       "Date/Time = 03-07-2026/14:05:09  S/N:1234 V1.0.0\r\n"
                       "==================================\r\n")
        << summary;
    ASSERT_TRUE(f.files.lastReport().has_value());
    report = *f.files.lastReport();
    ASSERT_EQ(report.size(), 9u);
    EXPECT_EQ(report[0], f.file("Bar.pdf"));
    EXPECT_EQ(report[1], "Sample ID = Cu");
    EXPECT_EQ(report[4], "CTE 1: = 20.0\xC2\xB0"
                         "C to  50.0\xC2\xB0"
                         "C: 16.0 \xC2\xB5/\xC2\xB0"
                         "C +/- 8.8%");
    EXPECT_EQ(report[7], "");
    EXPECT_EQ(report[8], "    Tester S/N:1234  Dilato V1.0.0");
}

TEST(Summary, TwoStepBatchReportsOneLineAndAnEmptySampleIdIsOneBlank) {
    Files f({20, 50});
    TestRecord record = f.record();
    record.sampleId.clear();
    ASSERT_TRUE(f.files.WriteDataToFile(record, 1));
    EXPECT_EQ(ReadIniValue(f.file("Bar_CTE.txt"), "CTE Test Summary #", "CTE 1:").substr(0, 25),
              "20.0\xC2\xB0"
              "C to  50.0\xC2\xB0"
              "C: 16.0");
    EXPECT_EQ(ReadIniValue(f.file("Bar_CTE.txt"), "CTE Test Summary #", "CTE 2:"), "");
    EXPECT_NE(ReadFileBytes(f.file("Bar_CTE.txt"))->find("Sample ID= \r\n"), std::string::npos);
    EXPECT_FALSE(IsFile(f.file("TempDat.txt"))) << "two steps keep no interim file";
}

TEST(Summary, ASummaryThatCannotBeReadIsKeptAndTheSaveFails) {
    Files f({20, 50});
    // Stands for a summary without read rights (which root would read anyway): a link to a
    // file whose every read fails.
    std::filesystem::create_symlink("/proc/self/mem", f.file("Bar_CTE.txt"));
    EXPECT_FALSE(f.files.WriteDataToFile(f.record(), 1));
    EXPECT_TRUE(std::filesystem::is_symlink(f.file("Bar_CTE.txt"))) << "not written over";
    ASSERT_EQ(f.op.messages.size(), 1u);
    EXPECT_NE(f.op.last().text.find("Bar_CTE.txt"), std::string::npos) << f.op.last().text;
    EXPECT_TRUE(IsFile(f.file("Bar_CTE.dat"))) << "the raw data is saved before";
}

TEST(Summary, ControlCharactersInTheSampleIdStartNoLineOrKey) {
    Files f({20, 50, 80});
    std::vector<std::string> report;
    f.params.SysParam(slot::PdfDataWrite) = 1;
    TestRecord record = f.record();
    record.sampleId = "Cu\r\nCTE 9:= 99\r[X]\tY\x0b\x7f\xC2\x85z";
    ASSERT_TRUE(f.files.WriteDataToFile(record, 1));
    ASSERT_TRUE(f.files.WriteDataToFile(record, 2));
    const auto summary = *ReadTextLines(f.file("Bar_CTE.txt"));
    EXPECT_EQ(summary.size(), 9u);
    EXPECT_EQ(summary[1], "Sample ID= Cu  CTE 9:= 99 [X] Y   z");
    EXPECT_EQ(ReadIniValue(f.file("Bar_CTE.txt"), "CTE Test Summary #", "CTE 9:"), "");
    EXPECT_EQ(ReadTextLines(f.file("TempDat.txt"))->size(), 5u);
    ASSERT_TRUE(f.files.lastReport().has_value());
    report = *f.files.lastReport();
    ASSERT_EQ(report.size(), 9u);
    EXPECT_EQ(report[1], "Sample ID = Cu  CTE 9:= 99 [X] Y   z");
    for (const auto& line : report)
        for (const char c : line)
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20) << line;
}

TEST(RemoteStores, CopiesIntoEachStoreUntilAnEmptyOneAndLogsFailures) {
    Files f({20, 50});
    const std::string store = f.dir.path() + "copy";
    std::filesystem::create_directory(store); // a store folder exists; its sub-folders are made
    f.folders.RemoteStore = {store, "", f.dir.path() + "never", ""};
    const std::string summary = f.dir.write("sys/Data/Folder/Bar_CTE.txt", "summary");
    f.files.WriteRemoteDataFile(summary);
    EXPECT_EQ(f.folders.RemoteStore[0], store + "/") << "the stored entry gains its separator";
    EXPECT_EQ(ReadFileBytes(store + "/Folder/Bar_CTE.txt"), std::string("summary"));
    EXPECT_FALSE(IsDirectory(f.dir.path() + "never"));

    f.folders.RemoteStore = {f.dir.path() + "missing/deeper", "", "", ""};
    f.files.WriteRemoteDataFile(summary);
    ASSERT_EQ(f.log.errors.size(), 1u);
    EXPECT_EQ(f.log.errors[0].rfind("Error: ", 0), 0u);
    EXPECT_NE(f.log.errors[0].find(" j=0 in WriteRemoteDataFile."), std::string::npos);
}

} // namespace
} // namespace dilato
