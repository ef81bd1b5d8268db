#include "KillHarness.h"

#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/LeadingNumber.h"
#include "platform/TextFile.h"
#include "storage/RawDataFile.h"
#include "storage/TestJournal.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dilato::test {

ChildRun RunChild(const std::string& binary, const std::vector<std::string>& args,
                  const std::string& killAt, std::optional<double> killAfter, double timeout) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::dup2(pipeFds[1], STDERR_FILENO);
        if (killAt.empty())
            ::unsetenv("DILATO_KILL_AT");
        else
            ::setenv("DILATO_KILL_AT", killAt.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(binary.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    ChildRun run;
    const auto started = std::chrono::steady_clock::now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    bool sent = false;
    for (;;) {
        pollfd p{pipeFds[0], POLLIN, 0};
        (void)::poll(&p, 1, 5);
        if (p.revents & (POLLIN | POLLHUP)) {
            char buffer[4096];
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0) run.out.append(buffer, static_cast<size_t>(n));
            if (n == 0) break;
        }
        if (!sent && ((killAfter && seconds() >= *killAfter) || seconds() >= timeout)) {
            ::kill(pid, SIGKILL);
            sent = true;
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) {
        run.killed = WTERMSIG(status) == SIGKILL && seconds() < timeout;
        run.status = -1;
    } else {
        run.status = WEXITSTATUS(status);
    }
    return run;
}

std::vector<JournalledReading> JournalledReadings(const std::string& journal) {
    std::vector<JournalledReading> found;
    const auto content = ReadJournal(journal);
    if (!content) return found;
    const auto add = [&found](int step, const std::vector<Reading>& readings) {
        for (const Reading& r : readings)
            found.push_back({step, RawReadingLine(r), r.elapsedMinutes > 0.01f});
    };
    for (int step = 1; step < static_cast<int>(content->readings.size()); ++step)
        add(step, content->stepReadings(step));
    for (const auto& [step, readings] : content->abandoned) add(step, readings);
    return found;
}

std::vector<std::string> StepReadingLines(const std::string& file, int step) {
    std::vector<std::string> lines;
    const auto all = ReadTextLines(file);
    if (!all) return lines;
    bool in = false;
    for (const auto& line : *all) {
        if (line.rfind("Test #", 0) == 0)
            in = line == "Test #" + std::to_string(step);
        else if (in && line.rfind("Elapsed", 0) != 0)
            lines.push_back(line);
    }
    return lines;
}

namespace {

// The printed "CTE k: ... +/- a%   (simulated truth t µ/°C)" lines: how many, how many out.
void CheckPrintedResults(const std::string& printed, int steps, Verdict& v) {
    std::istringstream in(printed);
    int lines = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("CTE ", 0) != 0) continue;
        ++lines;
        const auto colon = line.find("C: ");
        const auto pm = line.find("+/- ");
        const auto truthAt = line.find("truth ");
        if (colon == std::string::npos || pm == std::string::npos ||
            truthAt == std::string::npos) {
            ++v.damaged;
            v.notes.push_back("unreadable result line: " + line);
            continue;
        }
        const double cte = LeadingNumber(line.substr(colon + 3));
        const double accuracy = LeadingNumber(line.substr(pm + 4)) / 100.0;
        const double truth = LeadingNumber(line.substr(truthAt + 6));
        // The summary rounds the CTE to 0.1 and the estimate to 0.1 %.
        if (std::fabs(cte - truth) > truth * (accuracy + 0.0005) + 0.05) {
            ++v.outsideAccuracy;
            v.notes.push_back("outside its accuracy: " + line);
        }
    }
    const int expected = steps == 2 ? 1 : steps;
    if (lines != expected) {
        ++v.damaged;
        v.notes.push_back("printed " + std::to_string(lines) + " CTE lines, not " +
                          std::to_string(expected));
    }
}

} // namespace

Verdict CheckFinishedTest(const std::string& dataPath, const std::string& test, int steps,
                          const std::vector<JournalledReading>& before,
                          const std::string& printed) {
    Verdict v;
    const std::string raw = dataPath + test + "_CTE.dat";
    const std::string interrupted = dataPath + test + "_Interrupted.txt";
    std::map<int, std::multiset<std::string>> rawLines, keptLines;
    for (int step = 1; step <= steps; ++step) {
        for (auto& l : StepReadingLines(raw, step)) rawLines[step].insert(std::move(l));
        for (auto& l : StepReadingLines(interrupted, step)) keptLines[step].insert(std::move(l));
    }
    for (const auto& r : before) {
        ++v.readings;
        auto& kept = keptLines[r.step];
        auto& inRaw = rawLines[r.step];
        if (auto it = kept.find(r.line); it != kept.end()) {
            kept.erase(it);
        } else if (auto at = inRaw.find(r.line); at != inRaw.end()) {
            inRaw.erase(at);
        } else if (r.countsInRawFile) {
            ++v.lost;
            if (v.lost <= 3) v.notes.push_back("lost: step " + std::to_string(r.step) + " " + r.line);
        }
    }

    const auto lines = ReadTextLines(raw);
    const auto stored = lines ? ParseRawData(*lines) : std::nullopt;
    int headers = 0;
    if (lines)
        for (const auto& l : *lines) headers += l.rfind("Test #", 0) == 0;
    if (!stored || headers != steps) {
        ++v.damaged;
        v.notes.push_back("raw data file not whole: " + raw);
    }
    const std::string summary = dataPath + test + "_CTE.txt";
    for (int k = 1; k <= (steps == 2 ? 1 : steps); ++k) {
        if (ReadIniValue(summary, "CTE Test Summary #", "CTE " + std::to_string(k) + ":").empty()) {
            ++v.damaged;
            v.notes.push_back("summary without CTE " + std::to_string(k));
        }
        const std::string u = ReadIniValue(summary, "CTE Test Evidence #",
                                           "CTE " + std::to_string(k) + " Uncertainty");
        if (u.rfind("U = ", 0) != 0) {
            ++v.withoutUncertainty;
            v.notes.push_back("CTE " + std::to_string(k) + " without an uncertainty: " + u);
        }
    }
    for (const auto& name : ListFiles(dataPath))
        if (IsTemporaryName(name) || name.ends_with(kJournalEnding)) {
            ++v.damaged;
            v.notes.push_back("left behind: " + name);
        }
    CheckPrintedResults(printed, steps, v);
    return v;
}

KillOutcome KillAndResume(const std::string& binary, const std::vector<std::string>& firstArgs,
                          const std::vector<std::string>& resumeArgs, const std::string& dataPath,
                          const std::string& test, int steps, const std::string& killAt,
                          std::optional<double> killAfter) {
    KillOutcome k;
    k.first = RunChild(binary, firstArgs, killAt, killAfter);
    if (!k.first.killed) return k;
    const std::string journal = dataPath + test + kJournalEnding;
    k.journalled = JournalledReadings(journal);
    if (!IsFile(journal) && IsFile(dataPath + test + "_CTE.dat")) {
        k.verdict = CheckFinishedTest(dataPath, test, steps, k.journalled, k.first.out);
        return k;
    }
    k.resumed = RunChild(binary, resumeArgs);
    k.resumedRun = true;
    k.verdict = CheckFinishedTest(dataPath, test, steps, k.journalled, k.resumed.out);
    if (k.resumed.status != 0) {
        k.verdict.notes.push_back("the resumed run ended with status " +
                                  std::to_string(k.resumed.status));
    }
    return k;
}

} // namespace dilato::test
