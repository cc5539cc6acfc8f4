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

#undef QTEST_MAIN
#undef QTEST_APPLESS_MAIN
#define QTEST_MAIN(TestObject)                                                                     \
    static const bool registered##TestObject                                                       \
        = web_tests::Register(#TestObject, [](const QStringList& skip) {                           \
              TestObject suite;                                                                    \
              return web_tests::Exec(&suite, skip);                                                \
          });
#define QTEST_APPLESS_MAIN(TestObject) QTEST_MAIN(TestObject)
