// The Results tab's model over a real SQLite results store: filtering, sorting, selection and
// ticks kept across visits, the overlay's legs and strains, α(T), the batch statistics, the
// exports and the opening of a test's files.

#include "RecordingOpener.h"
#include "StoredTests.h"

#include "analysis/CteFormulas.h"
#include "results/ResultsStore.h"
#include "results/StoreAddress.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"
#include "ui/results/ResultsTabModel.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace dilato::test {
namespace {

class RecordingCanvas final : public ResultsCanvas {
  public:
    void DrawOverlay(const OverlayFigure& figure) override { overlay = figure; }
    void DrawAlpha(const AlphaFigure& figure) override { alpha = figure.series; }
    bool Export(const std::string& path, ImageFormat, std::string&) override {
        std::ofstream(path) << "image";
        exported.push_back(path);
        return true;
    }
    OverlayFigure overlay;
    std::vector<AlphaSeries> alpha;
    std::vector<std::string> exported;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A store with a small lab's tests in it, and the model over it.
struct Bench {
    Bench() : store(results::LocalStoreAddress(dir.path())) {
        StoredTest cu1{.uid = "cu1", .name = "Copper1", .sample = "CU-bar-1"};
        StoredTest cu2{.uid = "cu2", .name = "Copper2", .sample = "cu-bar-2", .operatorLogin = "ben",
                       .started = "2026-11-20T09:00:00", .a = 16.9};
        // Out to 80 °C and back to 20 °C: a heating and a cooling leg.
        StoredTest cu3{.uid = "cu3", .name = "Copper3", .sample = "CU-bar-3", .folder = "Returns",
                       .started = "2026-12-01T09:00:00", .a = 16.2, .plan = {20, 50, 80, 20},
                       .timeLimitStep = true};
        StoredTest glass{.uid = "g1", .name = "Silica1", .sample = "FS-1", .material = "glass",
                         .started = "2026-10-05T09:00:00", .a = 0.5, .b = 0.0, .plan = {20, 60}};
        WriteStoredTests(store.local(), {cu1, cu2, cu3, glass}, dir.file("Data/"));
        model.setShowPlot([this](const std::string& raw) { plotted.push_back(raw); });
        model.Enter();
    }
    int RowOf(const std::string& uid) const {
        for (int r = 0; r < model.rows(); ++r)
            if (model.test(r).uid == uid) return r;
        return -1;
    }
    void TickUids(std::initializer_list<const char*> uids) {
        for (const char* uid : uids) model.Tick(RowOf(uid), true);
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> uids;
        for (int r = 0; r < model.rows(); ++r)
            uids.push_back(model.test(r).uid);
        return uids;
    }

    TempFolder dir;
    results::ResultsStore store;
    StoreResultsSource source{[this] { return &store.local(); }};
    RecordingOperator op;
    RecordingOpener opener;
    RecordingCanvas overlay, alpha;
    ResultsTabModel model{ResultsServices{source, op, opener, overlay, alpha,
                                          [this] { return dir.file("Exports/"); },
                                          [] { return std::string("stamp"); }}};
    std::vector<std::string> plotted;
};

TEST(ResultsTabModel, FiltersByEveryFieldAndMark) {
    Bench b;
    ASSERT_EQ(b.model.total(), 4);
    struct Case {
        const char* what;
        ResultsFilter filter;
        std::vector<std::string> shown; // newest first (the table's first order)
    };
    const Case cases[] = {
        {"nothing", {}, {"cu3", "cu2", "cu1", "g1"}},
        {"sample, any case, anywhere", {.sample = "Bar-"}, {"cu3", "cu2", "cu1"}},
        {"material whole", {.material = "glass"}, {"g1"}},
        {"material not a part", {.material = "glas"}, {}},
        {"operator", {.operatorLogin = "BEN"}, {"cu2"}},
        {"folder", {.folder = "ret"}, {"cu3"}},
        {"dates inclusive", {.from = "2026-11-02", .to = "2026-11-20"}, {"cu2", "cu1"}},
        {"from only", {.from = "2026-11-21"}, {"cu3"}},
        {"not at equilibrium", {.marks = results::mark::NotAtEquilibrium}, {"cu3"}},
        {"below method range", {.marks = results::mark::BelowMethodRange}, {"g1"}},
        {"both marks", {.marks = results::mark::BelowMethodRange | results::mark::NotAtEquilibrium}, {}},
        {"fields together", {.sample = "cu", .operatorLogin = "anna"}, {"cu3", "cu1"}},
    };
    for (const Case& c : cases) {
        b.model.SetFilter(c.filter);
        EXPECT_EQ(b.Shown(), c.shown) << c.what;
    }
}

// Reference runs: found by the control chart's state at their start, and laid over each
// other they are asked for their reference material's certified curve.
TEST(ResultsTabModel, ReferenceRunsAreMarkedAndAskForTheirMaterialsCurve) {
    Bench b;
    WriteStoredTests(b.store.local(),
                     {StoredTest{.uid = "ref1", .name = "Ref1", .sample = "SRM736-a",
                                 .started = "2026-12-02T09:00:00", .reference = "SRM736"},
                      StoredTest{.uid = "ref2", .name = "Ref2", .sample = "SRM736-a",
                                 .started = "2026-12-03T09:00:00", .reference = "SRM736",
                                 .outOfControl = true}});
    b.model.Enter();
    b.model.SetFilter({.marks = results::mark::OutOfControlReference});
    EXPECT_EQ(b.Shown(), std::vector<std::string>{"ref2"});
    EXPECT_EQ(b.model.Cell(0, column::Marks), "out of control reference");
    b.model.SetFilter({});

    std::vector<std::string> asked;
    b.model.setReferenceCurves([&](const std::string& material, double, double) {
        asked.push_back(material);
        return std::optional<ReferenceCurve>();
    });
    b.TickUids({"ref1", "ref2"});
    (void)b.model.Overlay();
    (void)b.model.Alpha();
    EXPECT_EQ(asked, (std::vector<std::string>{"SRM736", "SRM736"})) << "overlay and alpha(T)";
    b.TickUids({"cu1"});
    (void)b.model.Overlay();
    (void)b.model.Alpha();
    EXPECT_EQ(asked.size(), 2u) << "a reference run and a copper test have no one curve";
}

TEST(ResultsTabModel, SortsByTextAndByNumber) {
    Bench b;
    b.model.SortBy(column::Sample, true);
    EXPECT_EQ(b.Shown(), (std::vector<std::string>{"cu1", "cu2", "cu3", "g1"})) << "any case";
    b.model.SortBy(column::Cte, false);
    EXPECT_EQ(b.Shown().back(), "g1") << "the smallest CTE last";
    EXPECT_EQ(b.model.Cell(0, column::Material), "metal");
    EXPECT_EQ(b.model.Cell(b.RowOf("cu3"), column::Marks), "not at equilibrium");
    EXPECT_FALSE(b.model.Cell(0, column::U).empty());
}

TEST(ResultsTabModel, SelectionTicksAndFilterStayWhenTheTabIsEnteredAgain) {
    Bench b;
    b.model.SetFilter({.sample = "cu"});
    b.model.Select(b.RowOf("cu2"));
    b.TickUids({"cu1", "cu3"});
    // A new test arrived meanwhile.
    WriteStoredTests(b.store.local(), {StoredTest{.uid = "cu4", .name = "Copper4", .sample = "CU-4",
                                                  .started = "2026-12-05T09:00:00"}});
    b.model.Enter();
    EXPECT_EQ(b.model.total(), 5);
    EXPECT_EQ(b.model.filter().sample, "cu");
    EXPECT_EQ(b.model.selectedUid(), "cu2");
    EXPECT_EQ(b.model.test(b.model.selectedRow()).uid, "cu2");
    EXPECT_EQ(b.model.tickedUids(), (std::vector<std::string>{"cu1", "cu3"}));
    EXPECT_TRUE(b.model.ticked(b.RowOf("cu3")));
    EXPECT_FALSE(b.model.ticked(b.RowOf("cu4")));
    // A filter that hides the selected test keeps it selected, out of sight.
    b.model.SetFilter({.material = "glass"});
    EXPECT_EQ(b.model.selectedRow(), -1);
    EXPECT_EQ(b.model.selectedUid(), "cu2");
}

TEST(ResultsTabModel, TheOverlayHasALegPerDirectionAndAColourAndLegendEntryPerTest) {
    Bench b;
    b.TickUids({"cu1", "cu2", "cu3"});
    const OverlayFigure f = b.model.Overlay();
    ASSERT_EQ(f.lines.size(), 4u) << "one leg for each of two tests, two for the round trip";
    std::set<unsigned> colours;
    int legend = 0, cooling = 0;
    for (const OverlayLine& l : f.lines) {
        colours.insert(l.colour);
        legend += l.inLegend;
        cooling += l.cooling;
    }
    EXPECT_EQ(colours.size(), 3u);
    EXPECT_EQ(legend, 3);
    EXPECT_EQ(cooling, 1);
    // Strain from the first reading, the fixture's expansion put back: the sample's own.
    const OverlayLine& heating = f.lines.front();
    ASSERT_EQ(heating.uid, "cu1");
    const double t0 = heating.temperature.front(), t = heating.temperature.back();
    const double expected = 16.5 * (t - t0) + 0.5 * 0.004 * (t * t - t0 * t0);
    EXPECT_NEAR(heating.strain.back(), expected, 0.01 * expected);
    EXPECT_FALSE(f.reference) << "no certified curve without a source";

    // The certified curve's hook: asked for the one material of the tests laid over.
    std::vector<std::string> asked;
    b.model.setReferenceCurves([&](const std::string& material, double from, double to)
                                   -> std::optional<ReferenceCurve> {
        asked.push_back(material);
        return ReferenceCurve{"SRM 736", {from, to}, {0.0, 17.0 * (to - from)}};
    });
    EXPECT_TRUE(b.model.Overlay().reference);
    EXPECT_EQ(asked, (std::vector<std::string>{"metal"}));
    b.model.Tick(b.RowOf("g1"), true);
    EXPECT_FALSE(b.model.Overlay().reference) << "tests of two materials have no one curve";

    // The CSV holds every reading once (a leg's joining point is not repeated), and the
    // certified curve's points.
    b.model.Tick(b.RowOf("g1"), false);
    const std::string path = b.model.ExportOverlayCsv();
    ASSERT_FALSE(path.empty()) << b.op.texts().front();
    const std::string csv = Slurp(path);
    EXPECT_EQ(csv.rfind("test_uid,test,leg,temperature_C,strain_1e-6\r\n", 0), 0u);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 4 * 20 + 4 * 20 + 4 * 20 + 2) << csv;
    EXPECT_NE(csv.find(",certified: SRM 736,,"), std::string::npos);
    EXPECT_NE(csv.find("cu3,Copper3 (CU-bar-3),2 cooling,"), std::string::npos);
}

TEST(ResultsTabModel, AStoredTestIsDrawnWithTheCorrectionItsResultsUsed) {
    Bench b;
    b.TickUids({"cu1", "cu2"});
    const OverlayFigure fixed = b.model.Overlay();
    const auto fixedAlpha = b.model.Alpha().series;
    // A measured column of 2 µin/°C, for cu1 alone.
    const auto column = ColumnCorrection::Fit(
        {{0, 0, 1e-7}, {50, -1.0e-4, 1e-7}, {100, -2.0e-4, 1e-7}}, 2.0, 0.014);
    ASSERT_TRUE(column);
    std::vector<std::string> asked;
    b.model.setTestCorrections(
        [&](const results::CatalogTest& t) -> std::optional<ColumnCorrection> {
            asked.push_back(t.uid);
            return t.uid == "cu1" ? column : std::nullopt;
        });
    const OverlayFigure measured = b.model.Overlay();
    const auto measuredAlpha = b.model.Alpha().series;
    EXPECT_EQ(asked, (std::vector<std::string>{"cu1", "cu2"})) << "each test's record read once";
    const OverlayLine& was = fixed.lines.front();
    const OverlayLine& now = measured.lines.front();
    ASSERT_EQ(now.uid, "cu1");
    const double t0 = now.temperature.front(), t = now.temperature.back();
    const double length = 2.0;
    const double moved =
        (column->changeFor(t0, t, length) -
         SystemCorrection(static_cast<float>(t - t0), static_cast<float>(length))) /
        length * 1e6;
    EXPECT_GT(std::fabs(moved), 50.0);
    EXPECT_NEAR(now.strain.back() - was.strain.back(), moved, 0.01 * std::fabs(moved));
    EXPECT_EQ(measured.lines[1].strain, fixed.lines[1].strain) << "cu2 keeps the fixed correction";
    const double alphaMoved = measuredAlpha[0].outcome.curves->technical.back().alpha -
                              fixedAlpha[0].outcome.curves->technical.back().alpha;
    EXPECT_NEAR(alphaMoved, moved / (t - t0), 0.2 * std::fabs(moved / (t - t0)))
        << "α(T) moves by the same column per degree";
}

TEST(ResultsTabModel, AlphaAndBatchStatisticsOfTheTickedTests) {
    Bench b;
    b.TickUids({"cu1", "cu2", "cu3", "g1"});
    const auto alpha = b.model.Alpha().series;
    ASSERT_EQ(alpha.size(), 4u);
    ASSERT_TRUE(alpha[0].outcome.ok());
    EXPECT_NEAR(alpha[0].outcome.curves->physical.front().alpha, 16.5 + 0.004 * 20, 0.3);
    EXPECT_EQ(alpha[2].outcome.curves->legSteps, 3) << "the return step is left out";
    EXPECT_EQ(alpha[3].outcome.error, AlphaError::TooFewSteps);

    EXPECT_FALSE(b.model.Batch().problem.empty()) << "glass and metal";
    EXPECT_TRUE(b.model.ExportBatchCsv().empty());
    b.model.Tick(b.RowOf("g1"), false);
    const BatchTable batch = b.model.Batch();
    ASSERT_TRUE(batch.problem.empty()) << batch.problem;
    EXPECT_EQ(batch.material, "metal");
    // 20-40, 40-60, 60-80, 20-80 of two tests; 20-50, 50-80, 80-20, 20-20 of the round trip.
    ASSERT_FALSE(batch.rows.empty());
    EXPECT_EQ(batch.rows.front().interval, "20 to 40 °C");
    EXPECT_EQ(batch.rows.front().stats.count, 2);
    EXPECT_NEAR(batch.rows.front().stats.mean, (16.5 + 16.9) / 2 + 0.004 * 30, 0.1);
    ASSERT_TRUE(batch.rows.front().stats.birgeRatio);
    const std::string csv = Slurp(b.model.ExportBatchCsv());
    EXPECT_NE(csv.find("metal,20 to 40 °C,2,"), std::string::npos) << csv;

    // Its data: technical and physical rows of each test that has a curve, none of the other.
    const std::string alphaCsv = Slurp(b.model.ExportAlphaCsv());
    EXPECT_EQ(alphaCsv.rfind("test_uid,test,alpha,temperature_C,alpha_1e-6_per_C,U_1e-6_per_C\r\n", 0), 0u);
    EXPECT_NE(alphaCsv.find("\r\ncu1,Copper1 (CU-bar-1),technical,"), std::string::npos);
    EXPECT_NE(alphaCsv.find("\r\ncu3,Copper3 (CU-bar-3),physical,"), std::string::npos);
    EXPECT_EQ(alphaCsv.find("\r\ng1,"), std::string::npos);
    size_t rows = std::count(alphaCsv.begin(), alphaCsv.end(), '\n') - 1;
    size_t expected = 0;
    for (const AlphaSeries& s : alpha)
        if (s.outcome.ok()) expected += s.outcome.curves->technical.size() + s.outcome.curves->physical.size();
    EXPECT_EQ(rows, expected);

    const std::string image = b.model.ExportAlphaImage(ImageFormat::Svg);
    EXPECT_EQ(image, b.dir.file("Exports/alpha-stamp.svg"));
    EXPECT_EQ(b.alpha.exported, std::vector<std::string>{image});
    EXPECT_EQ(b.alpha.alpha.size(), 3u) << "drawn before it is written";
}

TEST(ResultsTabModel, OpensTheSelectedTestsReportFolderAndPlot) {
    Bench b;
    EXPECT_FALSE(b.model.OpenReport()) << "nothing selected";
    b.model.Select(b.RowOf("cu1"));
    const std::string folder = b.dir.file("Data/Batch/");
    EXPECT_TRUE(b.model.OpenReport());
    EXPECT_TRUE(b.model.OpenFolder());
    EXPECT_TRUE(b.model.OpenPlot());
    EXPECT_EQ(b.opener.opened, (std::vector<std::string>{folder + "Copper1.pdf", folder}));
    EXPECT_EQ(b.plotted, std::vector<std::string>{folder + "Copper1_CTE.dat"});
    EXPECT_TRUE(b.op.messages.empty());

    // A viewer missing, a report gone, a test without files: told, nothing opened.
    b.opener.answer = false;
    EXPECT_FALSE(b.model.OpenReport());
    EXPECT_TRUE(b.op.sawText("No program on this computer is set up to open " + folder + "Copper1.pdf."));
    b.opener.answer = true;
    std::remove((folder + "Copper1.pdf").c_str());
    EXPECT_FALSE(b.model.OpenReport());
    EXPECT_TRUE(b.op.sawText(folder + "Copper1.pdf is not there any more."));
    WriteStoredTests(b.store.local(), {StoredTest{.uid = "bare", .name = "Bare", .sample = "X"}});
    b.model.Enter();
    b.model.Select(b.RowOf("bare"));
    EXPECT_FALSE(b.model.OpenReport());
    EXPECT_FALSE(b.model.OpenPlot());
    EXPECT_TRUE(b.op.sawText("The results store has no PDF report of this test."));
    EXPECT_EQ(b.opener.opened.size(), 3u);
}

TEST(ResultsTabModel, AStoreThatCannotBeReadIsToldOnceAndShowsNoTests) {
    TempFolder dir;
    struct Broken final : ResultsSource {
        std::vector<results::CatalogTest> Tests() override { throw results::StoreError("disk I/O error"); }
        results::CatalogDetail Detail(const std::string&) override { return {}; }
        std::vector<results::CatalogReading> Readings(const std::string&) override { return {}; }
    } broken;
    RecordingOperator op;
    RecordingOpener opener;
    RecordingCanvas canvas;
    ResultsTabModel model{ResultsServices{broken, op, opener, canvas, canvas,
                                          [&] { return dir.path(); }, [] { return std::string("x"); }}};
    model.Enter();
    model.Enter();
    EXPECT_EQ(model.rows(), 0);
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.messages[0].text, "The results store cannot be read: disk I/O error");
    EXPECT_TRUE(model.ExportOverlayCsv().empty());
}

} // namespace
} // namespace dilato::test
