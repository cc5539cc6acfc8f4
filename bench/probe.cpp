// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/probe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace bench {

namespace {

constexpr int kSettleMs = 100;
// A child that never paints must not hang the parent's run.
constexpr int kGiveUpMs = 30000;

std::int64_t SpawnedAt()
{
    const char* value = std::getenv(kSpawnedAtVariable);
    return value ? std::strtoll(value, nullptr, 10) : -1;
}

[[noreturn]] void Finish(const char* line)
{
    // write() and _exit(): no stdio buffering to lose, and tearing down Qt
    // is not what is measured.
    const ssize_t written = ::write(STDOUT_FILENO, line, std::strlen(line));
    ::_exit(written > 0 ? 0 : 1);
}

class FirstFrame : public QObject {
public:
    explicit FirstFrame(QWidget* window) : QObject(window)
    {
        window->installEventFilter(this);
        QTimer::singleShot(kGiveUpMs, this, [] { Finish("failed: no frame painted\n"); });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            // The window's own paint event comes first; the frame is complete
            // (children painted, backing store flushed) once control is back
            // in the event loop, which is where a posted call runs.
            QMetaObject::invokeMethod(this, &FirstFrame::Framed, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void Framed()
    {
        const std::int64_t now = MonotonicNs();
        const std::int64_t spawned = SpawnedAt();
        elapsed_ = spawned >= 0 ? now - spawned : -1;
        timespec cpu{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        cpu_ = std::int64_t(cpu.tv_sec) * 1'000'000'000 + cpu.tv_nsec;
        hwmAtFrame_ = StatusKb("VmHWM");
        QTimer::singleShot(kSettleMs, this, [this] {
            char line[96];
            std::snprintf(line, sizeof line, "%lld %lld %ld %ld\n",
                          static_cast<long long>(elapsed_), static_cast<long long>(cpu_),
                          hwmAtFrame_, StatusKb("VmHWM"));
            Finish(line);
        });
    }

    bool painted_ = false;
    std::int64_t elapsed_ = -1;
    std::int64_t cpu_ = -1;
    long hwmAtFrame_ = -1;
};

} // namespace

std::int64_t MonotonicNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

long StatusKb(const char* field)
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    const std::size_t length = std::strlen(field);
    long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            kb = std::strtol(line + length + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return kb;
}

void ReportFirstFrame(QWidget* window)
{
    new FirstFrame(window);
}

} // namespace bench
