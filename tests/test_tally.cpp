// SPDX-License-Identifier: GPL-3.0-or-later
#include "tally_driver.h"

#include "forms/convert.h"
#include "tally/calculation.h"

#include <QTest>

#include <array>
#include <string>

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

// A press of Calcola recorded as the oracle records it.
oracle::Calculation Recorded(const Calculation& c)
{
    oracle::Calculation run{
        .shown = c.counts, .barsSet = c.bars, .formed = c.shortfalls, .error = c.error};
    for (int i = 0; i < kTallyLevels; ++i) {
        run.counts[i] = c.tally.Count(kLevels[i]);
        run.shortfalls[i] = c.shortfall[i];
    }
    return run;
}

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

    // Where a press of Calcola stops, and what it leaves.
    void calculate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("error");
        QTest::addColumn<QList<int>>("steps"); // counts, bars, shortfalls
        QTest::addColumn<QList<int>>("tally");
        QTest::addColumn<bool>("reward");
        auto row = [](const char* name, const QString& text, int error, QList<int> steps,
                      QList<int> tally = {0, 0, 0, 0, 0}, bool reward = false) {
            QTest::newRow(name) << text << error << steps << tally << reward;
        };
        const QList<int> none = {0, 0, 0}, refused = {1, 0, 0}, all = {5, 5, 5};
        row("empty", "", kTypeMismatch, none);
        row("blank", " ", kTypeMismatch, none);
        row("sign alone", "+", kTypeMismatch, none);
        row("blank inside", "1 2", kTypeMismatch, none);
        row("blank after sign", "- 1", kTypeMismatch, none);
        row("Arabic digits", QString::fromUtf8("١٢"), kTypeMismatch, none);
        row("letter after", "12a", kTypeMismatch, none);
        row("tab", "\t750", kTypeMismatch, none);
        row("no-break space", QString::fromUtf8("\u00a0750"), kTypeMismatch, none);
        row("32768", "32768", kOverflow, none);
        row("-32769", "-32769", kOverflow, none);
        row("65536, 0 in 16 bits", "65536", kOverflow, none);
        row("2^32, 0 in 32 bits", "4294967296", kOverflow, none);
        row("a megabyte of nines", QString(1 << 20, u'9'), kOverflow, none);
        row("a megabyte of zeros", QString(1 << 20, u'0') + "750", 0, all, {750, 150, 30, 10, 2},
            true);
        row("-32768", "-32768", kInvalidPropertyValue, refused, {-32768, 0, 0, 0, 0});
        row("-32019", "-32019", kInvalidPropertyValue, refused, {-32019, 0, 0, 0, 0});
        row("-1", "-1", kInvalidPropertyValue, refused, {-1, 0, 0, 0, 0});
        row("751", "751", kInvalidPropertyValue, refused, {751, 0, 0, 0, 0});
        row("800", "800", kInvalidPropertyValue, refused, {800, 0, 0, 0, 0});
        row("0", "0", 0, all);
        row("749", "749", 0, all, {749, 149, 29, 9, 1});
        row("750", "750", 0, all, {750, 150, 30, 10, 2}, true);
        row("+750 in blanks", " +750 ", 0, all, {750, 150, 30, 10, 2}, true);
    }

    void calculate()
    {
        QFETCH(QString, text);
        QFETCH(int, error);
        QFETCH(QList<int>, steps);
        QFETCH(QList<int>, tally);
        QFETCH(bool, reward);
        const Calculation c = Calculate(forms::Utf16(text));
        QCOMPARE(c.error, error);
        QCOMPARE(c.Complete(), error == kNoError);
        QCOMPARE((QList<int>{c.counts, c.bars, c.shortfalls}), steps);
        const oracle::Calculation run = Recorded(c);
        QCOMPARE(QList<int>(run.counts.begin(), run.counts.end()), tally);
        QCOMPARE(c.Reward(), reward);
        // An unfinished calculation opens no reward, whatever its scalps.
        QVERIFY(!(Calculation{c.tally, kOverflow}.Reward()));
        // The conversion alone, where the text decides.
        const Integer16 number = TextToInteger(forms::Utf16(text));
        QCOMPARE(number.error, c.counts ? kNoError : error);
        QCOMPARE(int{number.value}, tally[0]);
    }

    // Every 16-bit count, against the oracle and the invariants of the chain.
    void sweepAllCounts()
    {
        CollectionTally tally;
        int failures = 0;
        for (int s = -32768; s <= 32767; ++s) {
            const oracle::Calculation run = RunTally(tally, static_cast<std::int16_t>(s));
            QCOMPARE(run, oracle::Calculate(s));
            // A press of Calcola on the count's digits, bars and all.
            const std::u16string digits = QString::number(s).toStdU16String();
            QCOMPARE(Recorded(Calculate(digits)), oracle::Calculate(s, oracle::Bars::kChecked));
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
