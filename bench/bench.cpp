// SPDX-License-Identifier: GPL-3.0-or-later
// bottinaro-bench: start-up and peak memory against the floor program, and
// the cost of a calculation, of each secondary window and of the tally.
// Prints one table and exits 0. Run it on a quiet machine; `--runs N` sets
// the start-up races (default 60 of each program).

#include "app/app.h"
#include "bench/probe.h"
#include "modal_watcher.h"
#include "tally/calculation.h"
#include "tally_driver.h"
#include "window_driver.h"

#include <QApplication>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kChildFlag[] = "--child-startup";
constexpr char kFloorProgram[] = "bottinaro-floor";
constexpr double kStartupBudget = 1.3;
constexpr double kMemoryBudget = 1.2;
constexpr int kChildTimeoutMs = 60000;

// ---- The child: exactly the start-up of app/main.cpp, plus the probe. ----

int StartupChild(int argc, char* argv[])
{
    QApplication application(argc, argv);
    forms::InitApplication();
    forms::Runtime runtime;
    forms::Untrapped([] { forms::Shared<Form1>().Show(); });
    bench::ReportFirstFrame(forms::Shared<Form1>().Window());
    return QApplication::exec();
}

// ---- Statistics and the table. ----

struct Summary {
    std::size_t n = 0;
    double median = 0, low = 0, high = 0; // low and high: 10th and 90th percentiles
};

double Quantile(const std::vector<double>& sorted, double q)
{
    const double at = q * double(sorted.size() - 1);
    const auto below = std::size_t(std::floor(at));
    const auto above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (at - double(below));
}

Summary Summarise(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    return {values.size(), Quantile(values, 0.5), Quantile(values, 0.1), Quantile(values, 0.9)};
}

struct Row {
    std::string what;
    Summary summary;
    std::string unit;
    std::string note;
};

std::string Number(double value)
{
    char text[32];
    const double magnitude = std::fabs(value);
    std::snprintf(text, sizeof text,
                  magnitude >= 100  ? "%.0f"
                  : magnitude >= 10 ? "%.1f"
                                    : "%.2f",
                  value);
    return text;
}

void PrintTable(const std::vector<Row>& rows)
{
    std::printf("| Measurement | Runs | Median | p10 – p90 | Note |\n");
    std::printf("|---|---:|---:|---:|---|\n");
    for (const Row& row : rows) {
        const Summary& s = row.summary;
        if (s.n == 0) {
            std::printf("| %s | 0 | – | – | %s |\n", row.what.c_str(), row.note.c_str());
            continue;
        }
        std::printf("| %s | %zu | %s %s | %s – %s %s | %s |\n", row.what.c_str(), s.n,
                    Number(s.median).c_str(), row.unit.c_str(), Number(s.low).c_str(),
                    Number(s.high).c_str(), row.unit.c_str(), row.note.c_str());
    }
}

// ---- Start-up race: child processes, side by side. ----

struct ChildRun {
    double startupMs = 0;
    double cpuMs = 0;
    double peakMiB = 0;
};

// Starts program and waits for its report line; the child's warnings are
// shown only if it fails.
std::optional<ChildRun> Spawn(const QString& program, const QStringList& arguments = {})
{
    QProcess child;
    child.setProgram(program);
    child.setArguments(arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The clock is read last, just before the process is created.
    environment.insert(QString::fromLatin1(bench::kSpawnedAtVariable),
                       QString::number(bench::MonotonicNs()));
    child.setProcessEnvironment(environment);
    child.start();
    if (!child.waitForFinished(kChildTimeoutMs))
        child.kill();
    child.waitForFinished();
    const QByteArray output = child.readAllStandardOutput();
    long long elapsedNs = -1, cpuNs = -1;
    long atFrameKb = -1, peakKb = -1;
    const bool measured = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0
                          && std::sscanf(output.constData(), "%lld %lld %ld %ld", &elapsedNs,
                                         &cpuNs, &atFrameKb, &peakKb)
                                 == 4
                          && elapsedNs >= 0 && cpuNs >= 0 && peakKb >= 0;
    if (!measured) {
        std::fprintf(stderr, "%s %s: no measurement (%s)\n%s", qPrintable(program),
                     qPrintable(arguments.join(u' ')),
                     output.isEmpty() ? "no output" : output.constData(),
                     child.readAllStandardError().constData());
        return std::nullopt;
    }
    return ChildRun{double(elapsedNs) / 1e6, double(cpuNs) / 1e6, double(peakKb) / 1024.0};
}

std::string Verdict(double ratio, double budget)
{
    char text[64];
    std::snprintf(text, sizeof text, "budget %.1f×: %s", budget,
                  ratio <= budget ? "within" : "OVER");
    return text;
}

void StartupRace(int runs, std::vector<Row>& rows)
{
    const QString self = QCoreApplication::applicationFilePath();
    const QString floor
        = QCoreApplication::applicationDirPath() + u'/' + QString::fromLatin1(kFloorProgram);
    const QStringList child = {QString::fromLatin1(kChildFlag)};

    // One unmeasured start of each fills the page cache.
    (void)Spawn(floor);
    (void)Spawn(self, child);

    std::vector<double> floorMs, programMs, floorCpu, programCpu, floorMiB, programMiB;
    std::vector<double> timeRatio, cpuRatio, memoryRatio;
    for (int i = 0; i < runs; ++i) {
        // Alternating which starts first cancels out a drift in machine load.
        std::optional<ChildRun> f, p;
        if (i % 2 == 0) {
            f = Spawn(floor);
            p = Spawn(self, child);
        } else {
            p = Spawn(self, child);
            f = Spawn(floor);
        }
        if (!f || !p)
            continue;
        floorMs.push_back(f->startupMs);
        programMs.push_back(p->startupMs);
        floorCpu.push_back(f->cpuMs);
        programCpu.push_back(p->cpuMs);
        floorMiB.push_back(f->peakMiB);
        programMiB.push_back(p->peakMiB);
        timeRatio.push_back(p->startupMs / f->startupMs);
        cpuRatio.push_back(p->cpuMs / f->cpuMs);
        memoryRatio.push_back(p->peakMiB / f->peakMiB);
    }

    if (floorMs.empty()) {
        rows.push_back({"start-up", {}, "", "no child process reported"});
        return;
    }
    const Summary time[2] = {Summarise(floorMs), Summarise(programMs)};
    const Summary cpu[2] = {Summarise(floorCpu), Summarise(programCpu)};
    const Summary memory[2] = {Summarise(floorMiB), Summarise(programMiB)};
    // Ratios are taken pair by pair: the two runs of a pair start back to
    // back, so a slow spell of the machine falls on both of them.
    const Summary timeRatios = Summarise(timeRatio);
    const Summary memoryRatios = Summarise(memoryRatio);
    rows.push_back({"start-up to first frame, floor", time[0], "ms", "window, menu, label"});
    rows.push_back({"start-up to first frame, Bottinaro", time[1], "ms", ""});
    // Another program on the machine only ever adds time, so the fastest
    // runs of each show the ratio least disturbed by it.
    const double fastest = *std::min_element(programMs.begin(), programMs.end())
                           / *std::min_element(floorMs.begin(), floorMs.end());
    rows.push_back(
        {"start-up ratio", timeRatios, "×",
         Verdict(timeRatios.median, kStartupBudget) + "; fastest runs " + Number(fastest) + "×"});
    rows.push_back({"start-up CPU time, floor", cpu[0], "ms", "user + system, to the frame"});
    rows.push_back({"start-up CPU time, Bottinaro", cpu[1], "ms", ""});
    rows.push_back({"start-up CPU ratio", Summarise(cpuRatio), "×", ""});
    rows.push_back(
        {"peak resident memory, floor", memory[0], "MiB", "VmHWM 0.1 s after the frame"});
    rows.push_back({"peak resident memory, Bottinaro", memory[1], "MiB", ""});
    rows.push_back(
        {"peak memory ratio", memoryRatios, "×", Verdict(memoryRatios.median, kMemoryBudget)});
}

// ---- In-process measurements. ----

using Clock = std::chrono::steady_clock;

// Times each repetition of body on its own. The first one runs cold (first
// window load, plugins, pictures) and is kept apart.
Row TimeEach(const std::string& what, int repetitions, const std::function<void()>& body)
{
    std::vector<double> times;
    double first = 0;
    for (int i = 0; i <= repetitions; ++i) {
        const Clock::time_point start = Clock::now();
        body();
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        if (i == 0)
            first = us;
        else
            times.push_back(us);
        // Repaints and deferred deletions, outside the timing.
        QCoreApplication::processEvents();
    }
    Summary summary = Summarise(times);
    std::string unit = "µs";
    if (summary.median >= 1000) {
        for (double* value : {&summary.median, &summary.low, &summary.high, &first})
            *value /= 1000;
        unit = "ms";
    }
    return {what, summary, unit, "first: " + Number(first) + " " + unit};
}

// Closes a window once it has painted its first frame (the watcher sees it
// before it is even exposed); one that never paints, after a while, which
// shows up in the spread.
class CloseAfterFirstFrame : public QObject {
public:
    explicit CloseAfterFirstFrame(QWidget* window) : QObject(window)
    {
        window->installEventFilter(this);
        QTimer::singleShot(2000, window, &QWidget::close);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // The frame is complete once control is back in the event loop.
            QMetaObject::invokeMethod(static_cast<QWidget*>(watched), &QWidget::close,
                                      Qt::QueuedConnection);
        }
        return false;
    }
};

// Runs a row whose every repetition must open one modal window.
Row TimeModal(const std::string& what, int repetitions, const std::function<void()>& body)
{
    const ModalWatcher watcher({}, [](QWidget* modal) { new CloseAfterFirstFrame(modal); });
    Row row = TimeEach(what, repetitions, body);
    if (watcher.Seen().size() != repetitions + 1)
        row.note += "; opened " + std::to_string(watcher.Seen().size()) + " windows in "
                    + std::to_string(repetitions + 1) + " runs";
    return row;
}

void InProcess(std::vector<Row>& rows)
{
    forms::InitApplication();
    forms::Runtime runtime;
    MainWindow main;
    QCoreApplication::processEvents();

    main.Text1()->setText(QStringLiteral("749"));
    rows.push_back(TimeEach("calculation, 749", 2000, [&] { main.form.Command1_Click(); }));

    main.Text1()->setText(QStringLiteral("750"));
    rows.push_back(TimeModal("calculation, 750, reward window closed at once", 300,
                             [&] { main.form.Command1_Click(); }));
    rows.push_back(
        TimeModal("open and close Riepilogo (Form2)", 300, [&] { main.form.Command2_Click(); }));
    rows.push_back(TimeModal("open and close reward window (Form3)", 300,
                             [&] { forms::Shared<Form3>().Show(forms::vbModal, &main.form); }));
    rows.push_back(
        TimeModal("open and close About (frmAbout)", 300, [&] { main.form.abt_Click(); }));

    // Every 16-bit count through the whole chain, as the calculation runs it.
    CollectionTally tally;
    volatile long sink = 0;
    Row row = TimeEach("tally, all 65,536 counts", 100, [&] {
        long sum = 0;
        for (int s = -32768; s <= 32767; ++s)
            sum += RunTally(tally, static_cast<std::int16_t>(s)).counts[kTallyLevels - 1];
        sink = sink + sum;
    });
    // A fast wrong answer is no measurement.
    for (int s = -32768; s <= 32767; ++s)
        if (RunTally(tally, static_cast<std::int16_t>(s)) != oracle::Calculate(s)) {
            row.note += "; WRONG result for " + std::to_string(s);
            break;
        }
    rows.push_back(row);

    // The same counts as typed digits through Calculate, bars and all, as
    // Calcola and the page run it.
    std::vector<std::u16string> texts;
    for (int s = -32768; s <= 32767; ++s)
        texts.push_back(QString::number(s).toStdU16String());
    Row rules = TimeEach("Calculate, all 65,536 counts' digits", 100, [&] {
        long sum = 0;
        for (const std::u16string& text : texts)
            sum += Calculate(text).tally.ane;
        sink = sink + sum;
    });
    for (int s = -32768; s <= 32767; ++s) {
        const Calculation c = Calculate(texts[std::size_t(s + 32768)]);
        const oracle::Calculation expected = oracle::Calculate(s, oracle::Bars::kChecked);
        if (c.error != expected.error || c.tally.sca != expected.counts[0]
            || c.tally.ane != expected.counts[kTallyLevels - 1]) {
            rules.note += "; WRONG result for " + std::to_string(s);
            break;
        }
    }
    rows.push_back(rules);

    main.form.Unload();
}

// ---- The machine, for the table's heading. ----

std::string CpuModel()
{
    std::FILE* info = std::fopen("/proc/cpuinfo", "r");
    if (!info)
        return "unknown CPU";
    std::string model = "unknown CPU";
    char line[512];
    while (std::fgets(line, sizeof line, info)) {
        if (std::strncmp(line, "model name", 10) == 0) {
            const char* colon = std::strchr(line, ':');
            if (colon) {
                model = colon + 2;
                model.erase(model.find_last_not_of(" \n") + 1);
            }
            break;
        }
    }
    std::fclose(info);
    return model;
}

std::string LoadAverage()
{
    double one = 0;
    std::FILE* load = std::fopen("/proc/loadavg", "r");
    if (!load || std::fscanf(load, "%lf", &one) != 1)
        one = -1;
    if (load)
        std::fclose(load);
    return Number(one);
}

// The offscreen platform warns about every window feature it lacks, and
// Qt about a session without a runtime folder; neither matters here.
void QuietOffscreen(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg
        || (type == QtWarningMsg
            && (message.startsWith(QLatin1String("This plugin does not support"))
                || message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

int Runs(int argc, char* argv[])
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    return 60;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 2 && std::strcmp(argv[1], kChildFlag) == 0)
        return StartupChild(argc, argv);

    // The children inherit it; without a display it is the only choice anyway.
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    const std::string loadBefore = LoadAverage();
    std::vector<Row> rows;
    qInstallMessageHandler(QuietOffscreen);
    {
        QApplication application(argc, argv);
        StartupRace(Runs(argc, argv), rows);
        InProcess(rows);
    }

    char date[64];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M %Z", std::localtime(&now));
    utsname system{};
    ::uname(&system);
    std::printf("Bottinaro %d.%d.%d benchmark, %s\n", App::Major, App::Minor, App::Revision, date);
    std::printf("%s, %ld CPUs, %s %s, Qt %s (%s); load average %s before, %s after\n\n",
                CpuModel().c_str(), ::sysconf(_SC_NPROCESSORS_ONLN), system.sysname, system.release,
                qVersion(), std::getenv("QT_QPA_PLATFORM"), loadBefore.c_str(),
                LoadAverage().c_str());
    PrintTable(rows);
    return 0;
}
