// The one-page test report, laid out as the operator sees it and checked with the PDF tools.
#include "JpegBytes.h"
#include "PdfStructure.h"

#include "platform/Files.h"
#include "platform/VirtualClock.h"
#include "report/TestReport.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <unistd.h>

namespace dilato {
namespace {

struct RecordingLog final : LogSink {
    void ErrorLog(const std::string& text) override { errors.push_back(text); }
    void TestLog(const std::string&, TestLogKind) override {}
    std::vector<std::string> errors;
};

struct RecordingRemote final : RemoteFileCopier {
    void WriteRemoteDataFile(const std::string& path) override { copied.push_back(path); }
    std::vector<std::string> copied;
};

class TestReportTest : public ::testing::Test {
  protected:
    TestReportTest() {
        params.SysParam(slot::TesterModel) = "CTE-2";
        std::filesystem::create_directories(dataPath);
        std::filesystem::copy_file(DILATO_PROGRAM_FOLDER "SystemSeed/Logosml.jpg",
                                   sys.file("Logosml.jpg"));
    }

    // The report lines of a three-step summary, as the data files hand them over.
    ReportLineList threeSteps() const {
        return {{dataPath + "Bar.pdf", "Sample ID = Cu rod (NIST 736) \\ #2",
                 "Sample Length = 2.000 inches", "Raw Data File = Bar_CTE.dat",
                 "CTE 1: =  20.0°C to  50.0°C: 16.8 µ/°C +/- 1.5%",
                 "CTE 2: =  50.0°C to  80.0°C: 17.1 µ/°C +/- 1.4%",
                 "CTE 3: =  20.0°C to  80.0°C: 16.9 µ/°C +/- 0.9%", "",
                 "    Tester S/N:1234  Dilato V1.0.0"}};
    }

    test::PdfStructure write(const ReportLineList& list) {
        report.WritePDF(list, dataPath);
        return test::ParsePdf(data.read("Folder/Bar.pdf"));
    }

    test::TempFolder sys, data, app;
    const std::string dataPath = data.path() + "Folder/";
    test::RecordingOperator op;
    VirtualClock clock{QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9))};
    RecordingLog log;
    RecordingRemote remote;
    SystemParameters params;
    TestReport report{op,     clock,  log,
                      remote, params, ReportFolders{DILATO_PROGRAM_FOLDER, sys.path()}};
};

// Text lines of a content stream: (x, y from the top, text) in writing order.
struct Placed {
    std::string x, y, text;
    bool operator==(const Placed&) const = default;
};

std::vector<Placed> TextsOf(const std::vector<std::string>& lines) {
    std::vector<Placed> out;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (!l.ends_with(" Td")) continue;
        const auto blank = l.find(' ');
        const double pdfY = std::stod(l.substr(blank + 1));
        const std::string& t = lines[i + 1];
        out.push_back({l.substr(0, blank), std::to_string(static_cast<int>(792 - pdfY + 0.5)),
                       t.substr(1, t.size() - 5)});
    }
    return out;
}

TEST_F(TestReportTest, ThePageIsLaidOutOnTheLetterhead) {
    const test::PdfStructure doc = write(threeSteps());
    ASSERT_TRUE(doc.problems.empty()) << doc.problems.front();
    EXPECT_TRUE(op.messages.empty()) << op.last().text;

    const auto texts = TextsOf(doc.streamLines(2));
    const std::vector<Placed> expected = {
        {"143.00", "188", "Norvane CTE Tester CTE-2 Test Report"},
        {"175.00", "208", "\\(CTE property measurement per ASTM D696\\)"},
        {"245.00", "228", "www.norvane.example"},
        {"80.00", "258", "=================================="},
        {"80.00", "268", "Date / Time = 03-07-2026 / 14:05:09"},
        {"80.00", "278", "=================================="},
        {"80.00", "293", "Sample ID = Cu rod \\(NIST 736\\) \\\\ #2"},
        {"80.00", "308", "Sample Length = 2.000 inches"},
        {"80.00", "323", "Raw Data File = Bar_CTE.dat"},
        {"80.00", "338",
         "CTE 1: =  20.0\xB0"
         "C to  50.0\xB0"
         "C: 16.8 \xB5/\xB0"
         "C +/- 1.5%"},
        {"80.00", "353",
         "CTE 2: =  50.0\xB0"
         "C to  80.0\xB0"
         "C: 17.1 \xB5/\xB0"
         "C +/- 1.4%"},
        {"80.00", "368",
         "CTE 3: =  20.0\xB0"
         "C to  80.0\xB0"
         "C: 16.9 \xB5/\xB0"
         "C +/- 0.9%"},
        {"80.00", "383", ""},
        {"80.00", "398", "    Tester S/N:1234  Dilato V1.0.0"},
        {"80.00", "413", "=================================="},
        // "Page 1" in Helvetica-Oblique 8 is 25.352 wide and ends at the page centre
        {"280.65", "784", "Page 1"},
    };
    EXPECT_EQ(texts.size(), expected.size());
    for (size_t i = 0; i < std::min(texts.size(), expected.size()); ++i) {
        EXPECT_EQ(texts[i].x, expected[i].x) << i;
        EXPECT_EQ(texts[i].y, expected[i].y) << i;
        EXPECT_EQ(texts[i].text, expected[i].text) << i;
    }

    const auto lines = doc.streamLines(2);
    auto has = [&](const std::string& l) {
        return std::find(lines.begin(), lines.end(), l) != lines.end();
    };
    EXPECT_EQ(lines[0], "[] 0 d");
    for (const char* l :
         {"80.00 742.00 m", "530.00 742.00 l", "80.00 642.00 m", "80.00 627.00 m", "80.00 552.00 l",
          "83.00 624.00 m", "527.00 555.00 l", "80.00 42.00 m", "530.00 42.00 l", "1.00 w S",
          "q 350.00 0 0 80.00 80.00 652.00 cm /ImgJPEG1 Do Q"})
        EXPECT_TRUE(has(l)) << l;
    EXPECT_TRUE(has("/F1 16.00 Tf"));
    EXPECT_TRUE(has("/F2 12.00 Tf"));
    EXPECT_TRUE(has("/F3 8.00 Tf"));
    EXPECT_NE(doc.find("/BaseFont /Helvetica-Bold\r\n"), nullptr);
    EXPECT_NE(doc.find("/BaseFont /Helvetica\r\n"), nullptr);
    EXPECT_NE(doc.find("/BaseFont /Helvetica-Oblique\r\n"), nullptr);
    EXPECT_NE(doc.find("/Title (Test PDF File)"), nullptr);
    const test::PdfObject* cat = doc.find("/Type /Catalog");
    ASSERT_NE(cat, nullptr);
    EXPECT_NE(cat->body.find("/OpenAction ["), std::string::npos);
    EXPECT_NE(cat->body.find(" /FitH null]"), std::string::npos);
    EXPECT_NE(cat->body.find("/ViewerPreferences<< /HideMenubar true /HideToolbar true >>"),
              std::string::npos);
    EXPECT_EQ(cat->body.find("/PageLayout"), std::string::npos);

    EXPECT_EQ(remote.copied, std::vector<std::string>{dataPath + "Bar.pdf"});
    EXPECT_TRUE(log.errors.empty());
}

TEST_F(TestReportTest, TheDataFoldersOwnLogoComesFirst) {
    EXPECT_EQ(report.LogoFile(dataPath), sys.file("Logosml.jpg"));
    data.write("Folder/PDFlogo.jpg", test::MakeJpeg({.width = 123, .height = 45}));
    EXPECT_EQ(report.LogoFile(dataPath), dataPath + "PDFlogo.jpg");
    const test::PdfStructure doc = write(threeSteps());
    ASSERT_NE(doc.find("/Subtype /Image"), nullptr);
    EXPECT_NE(doc.find("/Subtype /Image")->body.find("/Width 123\r\n/Height 45"),
              std::string::npos);
}

TEST_F(TestReportTest, WithoutAnyLogoTheReportFailsWithMessageAndLogEntry) {
    std::filesystem::remove(sys.file("Logosml.jpg"));
    report.WritePDF(threeSteps(), dataPath);
    ASSERT_EQ(op.messages.size(), 1u);
    const std::string file = dataPath + "Bar.pdf";
    EXPECT_EQ(op.last().icon, MessageIcon::Exclamation);
    EXPECT_TRUE(op.last().text.starts_with("Error in WritePDF: File not found: " +
                                           sys.file("Logosml.jpg")));
    EXPECT_TRUE(op.last().text.ends_with(" for file " + file));
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_TRUE(log.errors[0].starts_with("Write PDF Error:File not found: "));
    EXPECT_TRUE(log.errors[0].ends_with(" for file " + file));
    EXPECT_FALSE(IsFile(file)) << "no half-written report";
    EXPECT_TRUE(remote.copied.empty());
}

TEST_F(TestReportTest, ALogoThatIsNoJpegIsReportedAndThePageStillWritten) {
    data.write("Folder/PDFlogo.jpg", "GIF89a\x01\x02");
    const test::PdfStructure doc = write(threeSteps());
    ASSERT_TRUE(doc.problems.empty());
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.last().title, "PDF WriterFichier Image - ");
    EXPECT_EQ(doc.find("/Subtype /Image"), nullptr);
    EXPECT_EQ(remote.copied.size(), 1u);
}

TEST_F(TestReportTest, AnUnwritableFolderIsReportedWithTheFileName) {
    const ReportLineList list{{data.path() + "missing/Bar.pdf", "Sample ID = x"}};
    report.WritePDF(list, dataPath);
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.last().text,
              "Error in WritePDF: Path not found for file " + data.path() + "missing/Bar.pdf");
    EXPECT_EQ(log.errors, std::vector<std::string>{"Write PDF Error:Path not found for file " +
                                                   data.path() + "missing/Bar.pdf"});

    if (::geteuid() != 0) { // root writes anywhere
        std::filesystem::permissions(dataPath, std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::owner_exec);
        report.WritePDF(threeSteps(), dataPath);
        EXPECT_EQ(log.errors.size(), 2u);
    }
    EXPECT_TRUE(remote.copied.empty());
}

TEST_F(TestReportTest, AnEmptyLineListIsAFailureNotACrash) {
    report.WritePDF(ReportLineList{}, dataPath);
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_EQ(log.errors[0], "Write PDF Error:The report line list is empty for file ");
}

TEST_F(TestReportTest, ThePdfToolsFindNoErrorAndReadEveryBodyLine) {
    const ReportLineList list = threeSteps();
    (void)write(list);
    const std::string file = dataPath + "Bar.pdf";
    std::string out;
    ASSERT_EQ(test::RunCommand("qpdf --check '" + file + "'", out), 0) << out;
    EXPECT_NE(out.find("No syntax or stream encoding errors found"), std::string::npos) << out;
    EXPECT_EQ(out.find("WARNING"), std::string::npos) << out;

    ASSERT_EQ(test::RunCommand("pdfinfo '" + file + "'", out), 0) << out;
    EXPECT_NE(out.find("Title:           Test PDF File"), std::string::npos) << out;
    EXPECT_NE(out.find("Pages:           1"), std::string::npos) << out;
    EXPECT_NE(out.find("Page size:       612 x 792 pts (letter)"), std::string::npos) << out;
    EXPECT_NE(out.find("PDF version:     1.3"), std::string::npos) << out;

    ASSERT_EQ(test::RunCommand("pdftotext -layout '" + file + "' -", out), 0) << out;
    for (size_t i = 1; i < list.lines.size(); ++i) {
        std::string line = list.lines[i];
        line.erase(0, line.find_first_not_of(' '));
        if (line.empty()) continue;
        // -layout keeps runs of blanks; compare with single blanks on both sides
        auto squeeze = [](std::string s) {
            s.erase(std::unique(s.begin(), s.end(),
                                [](char a, char b) { return a == ' ' && b == ' '; }),
                    s.end());
            return s;
        };
        EXPECT_NE(squeeze(out).find(squeeze(line)), std::string::npos) << line << "\n" << out;
    }
    EXPECT_NE(out.find("Page 1"), std::string::npos);
}

// The evidence of a three-step test whose middle result is below the method's range, and
// whose steps ended one by each rule; `extraSteps` more steps make the list long.
TestEvidence ThreeStepEvidence(int extraSteps = 0) {
    TestEvidence e;
    const StepEnding endings[] = {StepEnding::DriftCriteria, StepEnding::TimeLimit,
                                  StepEnding::Operator};
    for (int s = 1; s <= 3 + extraSteps; ++s) {
        StepEvidence step;
        step.step = s;
        step.facts =
            HoldFacts{10 + 30 * s, 21.5, 15.5, 2.4f, -1.9f, 8.4f, 10, endings[(s - 1) % 3]};
        step.endTemperature = 10.0f + 30.0f * static_cast<float>(s);
        step.endIndicator = 0.1f;
        step.tempReadings = 30;
        step.tempSpread = 0.04;
        step.tempSigma = 0.011;
        step.noiseReadings = 50;
        step.indicatorSigma = 3.9e-6;
        step.remainingDrift = 1.2e-6;
        e.steps.push_back(step);
    }
    for (int k = 1; k <= 3; ++k) {
        ResultEvidence r;
        r.key = k;
        r.row = k;
        r.fromStep = k == 3 ? 1 : k;
        r.toStep = k == 3 ? 3 : k + 1;
        r.cte = k == 2 ? 0.55f : 16.8f;
        r.accuracy = 0.015f;
        r.belowMethodRange = k == 2;
        r.hasBudget = true;
        r.budget = BudgetFor(e.steps[static_cast<size_t>(r.fromStep - 1)],
                             e.steps[static_cast<size_t>(r.toStep - 1)], r.cte, 2.0);
        e.results.push_back(r);
    }
    return e;
}

// Every text of the pages after the first: (page, placed text).
std::vector<std::pair<int, Placed>> LaterPages(const test::PdfStructure& doc) {
    std::vector<std::pair<int, Placed>> out;
    int page = 1;
    for (const test::PdfObject& o : doc.objects) {
        if (o.body.find("stream") == std::string::npos || o.body.find(" Td") == std::string::npos)
            continue;
        const auto texts = TextsOf(doc.streamLines(o.number));
        const bool evidence = !texts.empty() && texts[0].text == "Evidence behind the results";
        if (!evidence) continue;
        ++page;
        for (const Placed& t : texts)
            out.emplace_back(page, t);
    }
    return out;
}

TEST_F(TestReportTest, TheEvidenceGoesOnASecondPageAndTheFirstStaysAsItWas) {
    const auto firstPage = TextsOf(write(threeSteps()).streamLines(2));
    ReportLineList list = threeSteps();
    list.evidence = ThreeStepEvidence();
    const test::PdfStructure doc = write(list);
    ASSERT_TRUE(doc.problems.empty()) << doc.problems.front();
    EXPECT_TRUE(op.messages.empty()) << op.last().text;
    EXPECT_EQ(TextsOf(doc.streamLines(2)), firstPage);

    const auto texts = LaterPages(doc);
    ASSERT_FALSE(texts.empty());
    const auto has = [&](const std::string& start) {
        return std::any_of(texts.begin(), texts.end(),
                           [&](const auto& t) { return t.second.text.rfind(start, 0) == 0; });
    };
    EXPECT_TRUE(has("Step 1 at 40 \xB0"
                    "C: ended by the drift criteria after 21.5 min, hold 6.0 min"));
    EXPECT_TRUE(has("Step 2 at 70 \xB0"
                    "C: ended by the time limit"));
    EXPECT_TRUE(has("Step 3 at 100 \xB0"
                    "C: ended by the operator stop, criteria met"));
    EXPECT_TRUE(
        has("    drift: average 2.4, live -1.9, threshold 8.4 \xB5in/10 min; steady ticks 10"));
    EXPECT_TRUE(has("CTE 1: 0.0\xB0"
                    "C to 0.0\xB0"
                    "C: 16.80 \xB5/\xB0"
                    "C +/- 1.5% \\(estimate\\); U = "));
    EXPECT_TRUE(has("CTE 2: below the range of the method \\(under 1 \xB5/\xB0"
                    "C\\)"));
    EXPECT_TRUE(has("CTE 3: within the range of the method"));
    for (const auto& [page, t] : texts) {
        EXPECT_EQ(page, 2) << t.text;
        const int y = std::stoi(t.y);
        EXPECT_TRUE(y >= 50 && y <= 735 || t.text == "Page 2") << y << " " << t.text;
    }
    EXPECT_TRUE(has("Page 2"));

    const std::string file = dataPath + "Bar.pdf";
    std::string out;
    ASSERT_EQ(test::RunCommand("qpdf --check '" + file + "'", out), 0) << out;
    EXPECT_EQ(out.find("WARNING"), std::string::npos) << out;
    ASSERT_EQ(test::RunCommand("pdfinfo '" + file + "'", out), 0) << out;
    EXPECT_NE(out.find("Pages:           2"), std::string::npos) << out;
    // Nothing runs past the right margin: the widest line still ends inside the page.
    ASSERT_EQ(test::RunCommand("pdftotext -f 2 -l 2 -bbox '" + file + "' -", out), 0) << out;
    size_t at = 0;
    while ((at = out.find("xMax=\"", at)) != std::string::npos) {
        at += 6;
        EXPECT_LE(std::stod(out.substr(at)), 531.0) << out.substr(at - 60, 120);
    }
}

TEST_F(TestReportTest, ALongEvidenceListGoesOnToAThirdPage) {
    ReportLineList list = threeSteps();
    list.evidence = ThreeStepEvidence(7); // ten steps and nine results
    for (int k = 4; k <= 9; ++k) {
        list.evidence->results.push_back(list.evidence->results.front());
        list.evidence->results.back().key = k;
    }
    const test::PdfStructure doc = write(list);
    ASSERT_TRUE(doc.problems.empty()) << doc.problems.front();
    const auto texts = LaterPages(doc);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().first, 3);
    for (const auto& [page, t] : texts) {
        const int y = std::stoi(t.y);
        EXPECT_TRUE(y >= 50 && y <= 735 || t.text.rfind("Page ", 0) == 0) << y << " " << t.text;
    }
    std::string out;
    ASSERT_EQ(test::RunCommand("qpdf --check '" + dataPath + "Bar.pdf'", out), 0) << out;
    ASSERT_EQ(test::RunCommand("pdftotext '" + dataPath + "Bar.pdf' -", out), 0) << out;
    EXPECT_NE(out.find("Step 10 at 310"), std::string::npos);
    EXPECT_NE(out.find("CTE 9: within the range of the method"), std::string::npos);
}

} // namespace
} // namespace dilato
