#include "tally/collection_tally.h"

#include <QTest>

#include <array>
#include <optional>

Q_DECLARE_METATYPE(TallyLevel)

namespace {

constexpr std::array kLevels
    = {TallyLevel::sca, TallyLevel::maz, TallyLevel::cin, TallyLevel::lib, TallyLevel::ane};

// One cell of a calculation: a level's count and its shortfall, if formed.
struct Cell {
    int count;
    std::optional<int> shortfall;
};
using Row = std::array<Cell, kTallyLevels>;

// Runs the calculation in the order the main window drives it; stops at the
// first failing shortfall, as the window does.
Row Calculate(CollectionTally& tally, std::int16_t scalps)
{
    Row row{};
    tally.Reset();
    tally.SetScalps(scalps);
    for (TallyLevel level : kLevels) {
        auto& cell = row[static_cast<int>(level)];
        cell.count = tally.Count(level);
        try {
            cell.shortfall = tally.Shortfall(level);
        } catch (const TallyOverflow&) {
            for (TallyLevel later = level; later != TallyLevel::ane;) {
                later = static_cast<TallyLevel>(static_cast<int>(later) + 1);
                row[static_cast<int>(later)].count = tally.Count(later);
            }
            return row;
        }
        if (level != TallyLevel::ane)
            tally.Exchange(level);
    }
    return row;
}

} // namespace

class TestTally : public QObject {
    Q_OBJECT

private slots:
    void workedValues_data()
    {
        QTest::addColumn<int>("scalps");
        QTest::addColumn<QList<int>>("expected"); // count, shortfall per level; 99999 = fails
        constexpr int F = 99999;
        auto row = [](int s, QList<int> cells) { QTest::addRow("%d", s) << s << cells; };
        row(0, {0, -750, 0, -150, 0, -30, 0, -10, 0, -2});
        row(1, {1, -749, 0, -150, 0, -30, 0, -10, 0, -2});
        row(4, {4, -746, 0, -150, 0, -30, 0, -10, 0, -2});
        row(5, {5, -745, 1, -149, 0, -30, 0, -10, 0, -2});
        row(24, {24, -726, 4, -146, 0, -30, 0, -10, 0, -2});
        row(25, {25, -725, 5, -145, 1, -29, 0, -10, 0, -2});
        row(74, {74, -676, 14, -136, 2, -28, 0, -10, 0, -2});
        row(75, {75, -675, 15, -135, 3, -27, 1, -9, 0, -2});
        row(374, {374, -376, 74, -76, 14, -16, 4, -6, 0, -2});
        row(375, {375, -375, 75, -75, 15, -15, 5, -5, 1, -1});
        row(749, {749, -1, 149, -1, 29, -1, 9, -1, 1, -1});
        row(750, {750, 0, 150, 0, 30, 0, 10, 0, 2, 0});
        row(751, {751, 1, 150, 0, 30, 0, 10, 0, 2, 0});
        row(754, {754, 4, 150, 0, 30, 0, 10, 0, 2, 0});
        row(755, {755, 5, 151, 1, 30, 0, 10, 0, 2, 0});
        row(1000, {1000, 250, 200, 50, 40, 10, 13, 3, 2, 0});
        row(32767, {32767, 32017, 6553, 6403, 1310, 1280, 436, 426, 87, 85});
        row(-1, {-1, -751, 0, -150, 0, -30, 0, -10, 0, -2});
        row(-6, {-6, -756, -1, -151, 0, -30, 0, -10, 0, -2});
        row(-7, {-7, -757, -1, -151, 0, -30, 0, -10, 0, -2});
        row(-32018, {-32018, -32768, -6403, -6553, -1280, -1310, -426, -436, -85, -87});
        row(-32019, {-32019, F, 0, F, 0, F, 0, F, 0, F});
        row(-32768, {-32768, F, 0, F, 0, F, 0, F, 0, F});
    }

    void workedValues()
    {
        QFETCH(int, scalps);
        QFETCH(QList<int>, expected);
        CollectionTally tally;
        // Whatever the record held before, a calculation starts from zeros.
        tally.sca = tally.maz = tally.cin = tally.lib = tally.ane = 1234;
        const Row row = Calculate(tally, static_cast<std::int16_t>(scalps));
        for (int i = 0; i < kTallyLevels; ++i) {
            QCOMPARE(row[i].count, expected[2 * i]);
            QCOMPARE(row[i].shortfall.value_or(99999), expected[2 * i + 1]);
        }
        QCOMPARE(int{tally.sca}, expected[0]);
        QCOMPARE(int{tally.ane}, expected[8]);
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
            switch (level) {
            case TallyLevel::sca:
                tally.sca = static_cast<std::int16_t>(count);
                break;
            case TallyLevel::maz:
                tally.maz = static_cast<std::int16_t>(count);
                break;
            case TallyLevel::cin:
                tally.cin = static_cast<std::int16_t>(count);
                break;
            case TallyLevel::lib:
                tally.lib = static_cast<std::int16_t>(count);
                break;
            case TallyLevel::ane:
                tally.ane = static_cast<std::int16_t>(count);
                break;
            }
        };
        set(lowest);
        QCOMPARE(int{tally.Shortfall(level)}, -32768);
        set(lowest - 1);
        QVERIFY_THROWS_EXCEPTION(TallyOverflow, tally.Shortfall(level));
        // A failed shortfall leaves the record as it was.
        QCOMPARE(int{tally.Count(level)}, lowest - 1);
        set(32767);
        QCOMPARE(int{tally.Shortfall(level)}, 32767 - CollectionTally::Target(level));
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
        if (level == TallyLevel::sca)
            tally.SetScalps(static_cast<std::int16_t>(count));
        else if (level == TallyLevel::maz)
            tally.maz = static_cast<std::int16_t>(count);
        else if (level == TallyLevel::cin)
            tally.cin = static_cast<std::int16_t>(count);
        else
            tally.lib = static_cast<std::int16_t>(count);
        QCOMPARE(int{tally.Exchange(level)}, quotient);
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

    // Every 16-bit count, against the invariants of the chain.
    void sweepAllCounts()
    {
        CollectionTally tally;
        int failures = 0;
        for (int s = -32768; s <= 32767; ++s) {
            const Row row = Calculate(tally, static_cast<std::int16_t>(s));
            QCOMPARE(row[0].count, s);
            if (!row[0].shortfall) {
                ++failures;
                QVERIFY(s < -32018);
                for (int i = 1; i < kTallyLevels; ++i)
                    QCOMPARE(row[i].count, 0);
                continue;
            }
            // Each level is the truncated quotient of the one before, and
            // each shortfall the count minus the target.
            int expected = s;
            for (int i = 0; i < kTallyLevels; ++i) {
                const auto level = kLevels[i];
                QCOMPARE(row[i].count, expected);
                QVERIFY(row[i].shortfall.has_value());
                QCOMPARE(*row[i].shortfall, expected - CollectionTally::Target(level));
                if (s >= 0 && s <= 750) {
                    QVERIFY(row[i].count >= 0 && row[i].count <= CollectionTally::Target(level));
                    QVERIFY(*row[i].shortfall >= -CollectionTally::Target(level)
                            && *row[i].shortfall <= 0);
                }
                if (level != TallyLevel::ane)
                    expected /= CollectionTally::Divisor(level);
            }
        }
        QCOMPARE(failures, 750); // -32768..-32019
    }
};

QTEST_APPLESS_MAIN(TestTally)
#include "test_tally.moc"
