#include "RunOptions.h"

#include "ProgramOptions.h"
#include "core/TestPlan.h"
#include "analysis/MaterialClass.h"

#include <charconv>
#include <cstdlib>
#include <stdexcept>

namespace dilato::run {

namespace {

std::vector<int> ParsePlan(const std::string& text) {
    std::vector<int> plan;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        plan.push_back(
            static_cast<int>(app::OptionNumber(text.substr(start, comma - start), "--plan")));
        start = comma + 1;
    }
    if (plan.empty() || plan.size() > 9)
        throw std::invalid_argument("--plan takes one to nine temperatures");
    for (size_t i = 1; i < plan.size(); ++i)
        if (std::abs(plan[i] - plan[i - 1]) < kMinimumStepDegrees)
            throw std::invalid_argument(
                "--plan: step " + std::to_string(i + 1) + " (" + std::to_string(plan[i]) +
                ") is less than " + std::to_string(kMinimumStepDegrees) +
                " degrees C from step " + std::to_string(i) + " (" + std::to_string(plan[i - 1]) +
                "): the step would have no expansion to measure");
    return plan;
}

std::vector<std::string> SplitEntries(const std::string& text) {
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        entries.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return entries;
}

} // namespace

RunOptions ParseRunOptions(const std::vector<std::string>& args) {
    RunOptions o;
    app::WalkOptions(args,
                     [&o](const std::string& arg, const std::optional<std::string>& inlineValue,
                          const std::function<std::string()>& value) {
                         if (arg == "--help" || arg == "-h")
                             o.help = true;
                         else if (app::TakeProgramOption(arg, inlineValue, value, o))
                             return true;
                         else if (arg == "--folder")
                             o.folder = value();
                         else if (arg == "--test")
                             o.test = value();
                         else if (arg == "--sample-id")
                             o.sampleId = value();
                         else if (arg == "--length")
                             o.length = value();
                         else if (arg == "--material-class")
                             o.materialClass = value();
                         else if (arg == "--reference")
                             o.reference = value();
                         else if (arg == "--wait-for-equilibrium")
                             o.waitForEquilibrium = true;
                         else if (arg == "--contact-seconds")
                             o.contactSeconds =
                                 app::OptionNumber(value(), "--contact-seconds");
                         else if (arg == "--mm")
                             o.millimetres = true;
                         else if (arg == "--yes")
                             o.yes = true;
                         else if (arg == "--overwrite")
                             o.overwrite = true;
                         else if (arg == "--use-backup")
                             o.useBackup = true;
                         else if (arg == "--resume")
                             o.resume = true;
                         else if (arg == "--close-incomplete")
                             o.closeIncomplete = true;
                         else if (arg == "--plan")
                             o.plan = ParsePlan(value());
                         else if (arg == "--calibrate")
                             o.calibrate = true;
                         else if (arg == "--manual-entries")
                             o.manualEntries = SplitEntries(value());
                         else if (arg == "--calibrator-serial")
                             o.calibratorSerial = value();
                         else if (arg == "--calibrator-cert")
                             o.calibratorCert = value();
                         else
                             return false;
                         return true;
                     });
    if (o.help) return o;
    if (o.manualEntries && !o.calibrate)
        throw std::invalid_argument("--manual-entries belongs to --calibrate");
    if (o.calibrate) return o;
    if (o.resume && o.closeIncomplete)
        throw std::invalid_argument("--resume and --close-incomplete exclude each other");
    if (!o.materialClass.empty() && !ParseMaterialClass(o.materialClass))
        throw std::invalid_argument("--material-class takes metal, glass, polymer or unknown");
    if (o.contactSeconds && !(*o.contactSeconds > 0))
        throw std::invalid_argument("--contact-seconds takes a positive number of seconds");
    if (o.test.empty()) throw std::invalid_argument("--test NAME is required");
    if (o.length.empty()) throw std::invalid_argument("--length VALUE is required");
    return o;
}

std::string RunUsage() {
    return std::string(
               R"(dilato-run: runs one complete CTE test, as the operator would from the Test tab.

  --folder NAME         data folder of the test (default Tests)
  --test NAME           test name (required)
  --sample-id TEXT      sample identifier
  --length VALUE        starting sample length in inches (required); --mm: in millimetres
  --material-class metal|glass|polymer|unknown
                        what the sample is made of (default: the class the sample ID was
                        last tested as by this operator, else unknown): a step then ends only
                        when the fit of its approach to equilibrium tells what is still to
                        come, and its results are taken at that equilibrium
  --reference NAME      a reference run: the sample is the certified reference material
                        NAME (SRM736 copper; SRM739 fused silica and SRM731 borosilicate
                        glass once their certificates' tables are in the system folder as
                        RefMat-NAME.txt, as a lab's own specimen is); at its end the
                        measured system correction is kept as a numbered correction record
                        beside the calibration records, and later tests use it
  --wait-for-equilibrium
                        a step also waits until what is still to come is itself that small
  --contact-seconds S   the stage's contact with a sample's foot as a time constant
                        (default 120; measurable with a metal sample)
  --yes                 answer Yes when the length is outside the recommended range
  --overwrite           replace the files of a test of the same name (else refused)
  --use-backup          when the parameter file CTESysParam.dat cannot be used, load the
                        backup of its serial number and keep it as the parameter file (else
                        the run ends and says why)
  --resume              when the test of that name was interrupted (the program or the PC
                        died; its journal "<test>_CTE.jnl" is there), go on with it: its
                        interrupted step starts again, the completed steps stay; without
                        an interrupted test the test runs as usual
  --close-incomplete    when it was interrupted, close it with its completed steps instead
                        (the interrupted step's readings go to "<test>_Interrupted.txt")
                        and end; without either option an interrupted test is reported and
                        no new test of its name starts
  --plan T1,T2,...      batch temperatures in degrees C for this test (saved with the
                        parameter file at the end, as a change on the Setup Options tab is)

  --calibrate           instead of a test, the five-point stage calibration, as the CAL
                        button runs it (with the serial calibrator unless --manual-entries);
                        prints the old and new constants and the 'As Left' deviations
  --manual-entries T1,T2,...
                        the manual calibrator: the readings typed at its prompts, in order
  --calibrator-serial TEXT, --calibrator-cert TEXT
                        the calibrator's serial and certificate numbers for the record
                        (" - not available - " when absent)
)") + app::ProgramOptionsUsage() +
           R"(                        (with --simulate and no time scale the test runs on a virtual
                        clock as fast as it can)

Dialogs are answered by policy: boxes with an OK button are printed and acknowledged; the
sample length question is answered by --yes (else No); other questions take their default
button; the COM configuration window cannot be shown (fix the ports with --port); Ctrl-C asks
to stop the test and the termination question is answered Yes (the step is saved when its
drift criteria are met).

Exit status: 0 the test completed (with --calibrate: the calibration succeeded; with
--close-incomplete: the interrupted test was closed); 1 it did
not (refused, stopped, instrument failure); 2 bad options; 3 the program could not start
(system folder, its lock, parameter file); 4 no link at the start: five failed link checks
in a row before the test took its first reading (an instrument does not answer). Once the
test measures, an instrument that gives no reading for 3 minutes ends it through the
instrument abort (status 1, its journal kept for --resume); a shorter outage loses only
its readings.
)";
}

} // namespace dilato::run
