// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Included before each suite's source in the browser build: QTEST_MAIN
// registers the suite with suites.cpp instead of defining main().

#include <QtTest/qtest.h>

#include <functional>

namespace web_tests {
// Runs the suite's test functions but the ones named in skip.
int Exec(QObject* suite, const QStringList& skip);
bool Register(const char* name, std::function<int(const QStringList& skip)> run);
} // namespace web_tests

// The application exists once, made by suites.cpp; what a suite sets up
// around its run (a watcher, say) lives for that run.
#undef QTEST_MAIN_SETUP
#define QTEST_MAIN_SETUP()
#undef QTEST_MAIN_WRAPPER
#define QTEST_MAIN_WRAPPER(TestObject, ...)                                                        \
    static const bool registered##TestObject                                                       \
        = web_tests::Register(#TestObject, [](const QStringList& skip) {                           \
              __VA_ARGS__                                                                          \
              TestObject suite;                                                                    \
              return web_tests::Exec(&suite, skip);                                                \
          });
#undef QTEST_MAIN
#define QTEST_MAIN(TestObject) QTEST_MAIN_WRAPPER(TestObject, )
#undef QTEST_APPLESS_MAIN
#define QTEST_APPLESS_MAIN(TestObject) QTEST_MAIN_WRAPPER(TestObject, )
