// bottinaro-bench: start-up and peak memory against the floor program, and
// the cost of a calculation, of each secondary window and of the tally.
// Prints one table and exits 0. Run it on a quiet machine; `--runs N` sets
// the start-up races (default 60 of each program).

#include "app/app.h"
#include "bench/probe.h"
#include "forms/form.h"
#include "tally/collection_tally.h"
#include "ui/dialogs/form2.h"
#include "ui/dialogs/form3.h"
#include "ui/dialogs/frm_about.h"
#include "ui/main/form1.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

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

std::string SelfPath()
{
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    path[length] = '\0';
    return path;
}

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, std::size_t(got));
    return text;
}

// Starts program (with flag, if any) and waits for its report line. The
// child's warnings go to a scratch file and are shown only if it fails.
std::optional<ChildRun> Spawn(const std::string& program, const char* flag)
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return std::nullopt;
    std::FILE* errors = std::tmpfile();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    if (errors)
        posix_spawn_file_actions_adddup2(&actions, ::fileno(errors), STDERR_FILENO);

    std::vector<char*> arguments{const_cast<char*>(program.c_str())};
    if (flag)
        arguments.push_back(const_cast<char*>(flag));
    arguments.push_back(nullptr);

    const std::size_t nameLength = std::strlen(bench::kSpawnedAtVariable);
    std::vector<char*> environment;
    for (char** entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, bench::kSpawnedAtVariable, nameLength) != 0)
            environment.push_back(*entry);
    char spawnedAt[64];
    environment.push_back(spawnedAt);
    environment.push_back(nullptr);

    // The clock is read last, just before the process is created.
    std::snprintf(spawnedAt, sizeof spawnedAt, "%s=%lld", bench::kSpawnedAtVariable,
                  static_cast<long long>(bench::MonotonicNs()));
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, arguments.data(),
                                    environment.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    if (spawned != 0) {
        ::close(pipe[0]);
        if (errors)
            std::fclose(errors);
        std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(spawned));
        return std::nullopt;
    }

    std::string output;
    pollfd readable{pipe[0], POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&readable, 1, kChildTimeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            ::kill(pid, SIGKILL);
            break;
        }
        char buffer[256];
        const ssize_t got = ::read(pipe[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        output.append(buffer, std::size_t(got));
    }
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);

    long long elapsedNs = -1, cpuNs = -1;
    long atFrameKb = -1, peakKb = -1;
    const bool measured = WIFEXITED(status) && WEXITSTATUS(status) == 0
                          && std::sscanf(output.c_str(), "%lld %lld %ld %ld", &elapsedNs, &cpuNs,
                                         &atFrameKb, &peakKb)
                                 == 4
                          && elapsedNs >= 0 && cpuNs >= 0 && peakKb >= 0;
    const std::string warnings = errors ? ReadAll(::fileno(errors)) : std::string();
    if (errors)
        std::fclose(errors);
    if (!measured) {
        std::fprintf(stderr, "%s%s%s: no measurement (%s)\n%s", program.c_str(), flag ? " " : "",
                     flag ? flag : "", output.empty() ? "no output" : output.c_str(),
                     warnings.c_str());
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
    const std::string self = SelfPath();
    const std::string floor = self.substr(0, self.rfind('/') + 1) + kFloorProgram;

    // One unmeasured start of each fills the page cache.
    (void)Spawn(floor, nullptr);
    (void)Spawn(self, kChildFlag);

    std::vector<double> floorMs, programMs, floorCpu, programCpu, floorMiB, programMiB;
    std::vector<double> timeRatio, cpuRatio, memoryRatio;
    for (int i = 0; i < runs; ++i) {
        // Alternating which starts first cancels out a drift in machine load.
        std::optional<ChildRun> f, p;
        if (i % 2 == 0) {
            f = Spawn(floor, nullptr);
            p = Spawn(self, kChildFlag);
        } else {
            p = Spawn(self, kChildFlag);
            f = Spawn(floor, nullptr);
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

// Closes every modal window as soon as it has painted its first frame, so
// a handler that opens one returns at once; one that never paints is closed
// after a while, which shows up in the spread.
class ModalCloser : public QObject {
public:
    ModalCloser() { qApp->installEventFilter(this); }
    ~ModalCloser() override { qApp->removeEventFilter(this); }

    // How many modal windows it has closed.
    int Closed() const { return closed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Paint && type != QEvent::Show)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !widget->isWindow() || !widget->isModal() || widget == closing_)
            return false;
        if (type == QEvent::Show) {
            QTimer::singleShot(kNoFrameMs, widget, [this, widget] { Close(widget); });
        } else {
            closing_ = widget;
            QTimer::singleShot(0, widget, [this, widget] { Close(widget); });
        }
        return false;
    }

private:
    static constexpr int kNoFrameMs = 2000;

    void Close(QWidget* widget)
    {
        if (!widget->isVisible())
            return;
        ++closed_;
        widget->close();
    }

    QPointer<QWidget> closing_;
    int closed_ = 0;
};

// Runs a row whose every repetition must open one modal window.
Row TimeModal(ModalCloser& closer, const std::string& what, int repetitions,
              const std::function<void()>& body)
{
    const int before = closer.Closed();
    Row row = TimeEach(what, repetitions, body);
    const int opened = closer.Closed() - before;
    if (opened != repetitions + 1)
        row.note += "; opened " + std::to_string(opened) + " windows in "
                    + std::to_string(repetitions + 1) + " runs";
    return row;
}

void InProcess(std::vector<Row>& rows)
{
    forms::InitApplication();
    forms::Runtime runtime;
    Form1& form1 = forms::Shared<Form1>();
    form1.Show();
    QWidget* screen = form1.Window();
    auto* text1 = screen->findChild<QLineEdit*>(QStringLiteral("Text1"));
    if (!text1) {
        std::fprintf(stderr, "Form1 has no Text1\n");
        return;
    }
    QCoreApplication::processEvents();

    text1->setText(QStringLiteral("749"));
    rows.push_back(TimeEach("calculation, 749", 2000, [&] { form1.Command1_Click(); }));

    ModalCloser closer;
    text1->setText(QStringLiteral("750"));
    rows.push_back(TimeModal(closer, "calculation, 750, reward window closed at once", 300,
                             [&] { form1.Command1_Click(); }));
    rows.push_back(TimeModal(closer, "open and close Riepilogo (Form2)", 300,
                             [&] { form1.Command2_Click(); }));
    rows.push_back(TimeModal(closer, "open and close reward window (Form3)", 300,
                             [&] { forms::Shared<Form3>().Show(forms::vbModal, &form1); }));
    rows.push_back(
        TimeModal(closer, "open and close About (frmAbout)", 300, [&] { form1.abt_Click(); }));

    // Every 16-bit count through the whole chain, as the calculation runs it.
    volatile long sink = 0;
    rows.push_back(TimeEach("tally, all 65,536 counts", 100, [&] {
        CollectionTally tally;
        long sum = 0;
        for (int s = -32768; s <= 32767; ++s) {
            tally.Reset();
            tally.SetScalps(static_cast<std::int16_t>(s));
            for (int l = 0; l < kTallyLevels; ++l) {
                const auto level = static_cast<TallyLevel>(l);
                sum += tally.Count(level);
                try {
                    sum += tally.Shortfall(level);
                } catch (const TallyOverflow&) {
                    break;
                }
                if (level != TallyLevel::ane)
                    tally.Exchange(level);
            }
        }
        sink = sink + sum;
    }));

    form1.Unload();
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
    // The races run before this process has any Qt state of its own.
    StartupRace(Runs(argc, argv), rows);
    {
        qInstallMessageHandler(QuietOffscreen);
        QApplication application(argc, argv);
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
