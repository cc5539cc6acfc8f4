// SPDX-License-Identifier: GPL-3.0-or-later
// Runs every registered suite in turn, in name order, each with its own
// "Totals:" line; run_suites.py reads them from the browser console.

#include "suite.h"

#include <QApplication>
#include <QMetaMethod>

#include <cstdio>
#include <map>
#include <string>

namespace {

std::map<std::string, std::function<int(const QStringList&)>>& Suites()
{
    static std::map<std::string, std::function<int(const QStringList&)>> suites;
    return suites;
}

struct LeftOut {
    const char* suite;
    const char* function;
    const char* reason;
};
// Test functions that need what a web build does not have.
const LeftOut kLeftOut[] = {
    {"TestForm1", "exitEndsTheProgram",
     "the application's exec() hands the loop to the browser and never returns; the page check "
     "covers Esci"},
    {"TestForms", "shorterCaptionLeavesNoTrace",
     "Qt's wasm platform cannot grab the screen: QScreen::grabWindow gives an empty picture"},
    {"TestForms", "resourceScriptCompiles",
     "the Windows resource script belongs to desktop builds"},
};

} // namespace

bool web_tests::Register(const char* name, std::function<int(const QStringList&)> run)
{
    Suites().emplace(name, std::move(run));
    return true;
}

int web_tests::Exec(QObject* suite, const QStringList& skip)
{
    QStringList args{QStringLiteral("browser_suites")};
    if (!skip.isEmpty()) {
        // QtTest runs only the functions named on its command line.
        static const QStringList special{"initTestCase", "cleanupTestCase", "init", "cleanup"};
        const QMetaObject* meta = suite->metaObject();
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            const QString name = QString::fromLatin1(method.name());
            if (method.methodType() == QMetaMethod::Slot && method.access() == QMetaMethod::Private
                && method.parameterCount() == 0 && !name.endsWith(QLatin1String("_data"))
                && !special.contains(name) && !skip.contains(name))
                args.append(name);
        }
    }
    return QTest::qExec(suite, args);
}

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    int failed = 0;
    for (auto& [name, run] : Suites()) {
        QStringList skip;
        for (const LeftOut& left : kLeftOut)
            if (name == left.suite) {
                skip.append(QString::fromLatin1(left.function));
                std::printf("LEFT OUT: %s::%s (%s)\n", left.suite, left.function, left.reason);
            }
        failed += run(skip) != 0;
    }
    std::printf("BROWSER SUITES DONE: %d failed\n", failed);
    std::fflush(stdout);
    return failed;
}
