// SPDX-License-Identifier: GPL-3.0-or-later
#include "tally_driver.h"

#include <QTest>

#include <array>

Q_DECLARE_METATYPE(TallyLevel)

namespace oracle {

// How a failed comparison shows a calculation.
char* toString(const Calculation& c)
{
    QString text = QStringLiteral("counts");
    for (int count : c.counts)
        text += u' ' + QString::number(count);
    text += QStringLiteral(", shortfalls");
    for (int i = 0; i < c.formed; ++i)
        text += u' ' + QString::number(c.shortfalls[i]);
    return qstrdup(qPrintable(text + QStringLiteral(", error %1").arg(c.error)));
}

} // namespace oracle

namespace {

constexpr std::array kLevels
    = {TallyLevel::sca, TallyLevel::maz, TallyLevel::cin, TallyLevel::lib, TallyLevel::ane};

} // namespace

class TestTally : public QObject {
    Q_OBJECT

private slots:
    // The worked examples, against the oracle and the tally alike.
    void workedValues_data()
    {
        QTest::addColumn<int>("scalps");
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QList<int>>("shortfalls"); // those formed before an error
        QTest::addColumn<int>("error");
        auto row = [](int s, QList<int> counts, QList<int> shortfalls, int error = 0) {
            QTest::addRow("%d", s) << s << counts << shortfalls << error;
        };
        row(0, {0, 0, 0, 0, 0}, {-750, -150, -30, -10, -2});
        row(1, {1, 0, 0, 0, 0}, {-749, -150, -30, -10, -2});
        row(4, {4, 0, 0, 0, 0}, {-746, -150, -30, -10, -2});
        row(5, {5, 1, 0, 0, 0}, {-745, -149, -30, -10, -2});
        row(24, {24, 4, 0, 0, 0}, {-726, -146, -30, -10, -2});
        row(25, {25, 5, 1, 0, 0}, {-725, -145, -29, -10, -2});
        row(74, {74, 14, 2, 0, 0}, {-676, -136, -28, -10, -2});
        row(75, {75, 15, 3, 1, 0}, {-675, -135, -27, -9, -2});
        row(374, {374, 74, 14, 4, 0}, {-376, -76, -16, -6, -2});
        row(375, {375, 75, 15, 5, 1}, {-375, -75, -15, -5, -1});
        row(749, {749, 149, 29, 9, 1}, {-1, -1, -1, -1, -1});
        row(750, {750, 150, 30, 10, 2}, {0, 0, 0, 0, 0});
        row(751, {751, 150, 30, 10, 2}, {1, 0, 0, 0, 0});
        row(754, {754, 150, 30, 10, 2}, {4, 0, 0, 0, 0});
        row(755, {755, 151, 30, 10, 2}, {5, 1, 0, 0, 0});
        row(1000, {1000, 200, 40, 13, 2}, {250, 50, 10, 3, 0});
        row(32767, {32767, 6553, 1310, 436, 87}, {32017, 6403, 1280, 426, 85});
        row(-1, {-1, 0, 0, 0, 0}, {-751, -150, -30, -10, -2});
        row(-6, {-6, -1, 0, 0, 0}, {-756, -151, -30, -10, -2});
        row(-7, {-7, -1, 0, 0, 0}, {-757, -151, -30, -10, -2});
        row(-32018, {-32018, -6403, -1280, -426, -85}, {-32768, -6553, -1310, -436, -87});
        row(-32019, {-32019, 0, 0, 0, 0}, {}, oracle::kOverflow);
        row(-32768, {-32768, 0, 0, 0, 0}, {}, oracle::kOverflow);
    }

    void workedValues()
    {
        QFETCH(int, scalps);
        QFETCH(QList<int>, counts);
        QFETCH(QList<int>, shortfalls);
        QFETCH(int, error);
        const oracle::Calculation expected = oracle::Calculate(scalps);
        QCOMPARE(QList<int>(expected.counts.begin(), expected.counts.end()), counts);
        QCOMPARE(
            QList<int>(expected.shortfalls.begin(), expected.shortfalls.begin() + expected.formed),
            shortfalls);
        QCOMPARE(expected.error, error);
        CollectionTally tally;
        // Whatever the record held before, a calculation starts from zeros.
        tally.sca = tally.maz = tally.cin = tally.lib = tally.ane = 1234;
        QCOMPARE(RunTally(tally, static_cast<std::int16_t>(scalps)), expected);
    }

    void shortfallLimits_data()
    {
        QTest::addColumn<TallyLevel>("level");
        QTest::addColumn<int>("lowest"); // lowest count that still has a shortfall
        QTest::newRow("sca") << TallyLevel::sca << -32018;
        QTest::newRow("maz") << TallyLevel::maz << -32618;
        QTest::newRow("cin") << TallyLevel::cin << -32738;
        QTest::newRow("lib") << TallyLevel::lib << -32758;
        QTest::newRow("ane") << TallyLevel::ane << -32766;
    }

    void shortfallLimits()
    {
        QFETCH(TallyLevel, level);
        QFETCH(int, lowest);
        CollectionTally tally;
        auto set = [&](int count) {
            tally.Reset();
            tally.Field(level) = static_cast<std::int16_t>(count);
        };
        set(lowest);
        std::int16_t shortfall = 0;
        QVERIFY_THROWS_NO_EXCEPTION(shortfall = tally.Shortfall(level));
        QCOMPARE(int{shortfall}, -32768);
        set(lowest - 1);
        QVERIFY_THROWS_EXCEPTION(TallyOverflow, tally.Shortfall(level));
        // A failed shortfall leaves the record as it was.
        QCOMPARE(int{tally.Count(level)}, lowest - 1);
        set(32767);
        QVERIFY_THROWS_NO_EXCEPTION(shortfall = tally.Shortfall(level));
        QCOMPARE(int{shortfall}, 32767 - CollectionTally::Target(level));
    }

    void exchangeTruncatesTowardZero_data()
    {
        QTest::addColumn<TallyLevel>("level");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("quotient");
        QTest::newRow("7/5") << TallyLevel::sca << 7 << 1;
        QTest::newRow("4/5") << TallyLevel::maz << 4 << 0;
        QTest::newRow("-7/5") << TallyLevel::sca << -7 << -1;
        QTest::newRow("-2/3") << TallyLevel::cin << -2 << 0;
        QTest::newRow("-3/3") << TallyLevel::cin << -3 << -1;
        QTest::newRow("-32768/5") << TallyLevel::lib << -32768 << -6553;
        QTest::newRow("32767/3") << TallyLevel::cin << 32767 << 10922;
    }

    void exchangeTruncatesTowardZero()
    {
        QFETCH(TallyLevel, level);
        QFETCH(int, count);
        QFETCH(int, quotient);
        CollectionTally tally;
        const auto next = static_cast<TallyLevel>(static_cast<int>(level) + 1);
        // Exchange writes only the next field.
        tally.sca = tally.maz = tally.cin = tally.lib = tally.ane = 77;
        tally.Field(level) = static_cast<std::int16_t>(count);
        std::int16_t result = 0;
        QVERIFY_THROWS_NO_EXCEPTION(result = tally.Exchange(level));
        QCOMPARE(int{result}, quotient);
        QCOMPARE(int{tally.Count(next)}, quotient);
        QCOMPARE(int{tally.Count(level)}, count);
        for (TallyLevel other : kLevels)
            if (other != level && other != next)
                QCOMPARE(int{tally.Count(other)}, 77);
    }

    void lastLevelHasNoExchange()
    {
        CollectionTally tally;
        tally.ane = 9;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, tally.Exchange(TallyLevel::ane));
        QCOMPARE(int{tally.ane}, 9);
    }

    // Every 16-bit count, against the oracle and the invariants of the chain.
    void sweepAllCounts()
    {
        CollectionTally tally;
        int failures = 0;
        for (int s = -32768; s <= 32767; ++s) {
            const oracle::Calculation run = RunTally(tally, static_cast<std::int16_t>(s));
            QCOMPARE(run, oracle::Calculate(s));
            failures += run.error != 0;
            if (s >= 0 && s <= 750)
                for (int i = 0; i < kTallyLevels; ++i) {
                    const int target = CollectionTally::Target(kLevels[i]);
                    QVERIFY(run.counts[i] >= 0 && run.counts[i] <= target);
                    QVERIFY(run.shortfalls[i] >= -target && run.shortfalls[i] <= 0);
                }
        }
        QCOMPARE(failures, 750); // -32768..-32019
    }
};

QTEST_APPLESS_MAIN(TestTally)
#include "test_tally.moc"
