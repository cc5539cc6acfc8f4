// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The running windows, seen from outside: the one way the suites find
// controls, type, calculate, open the secondary windows and read what the
// main window shows.

#include "tally_oracle.h"

#include "forms/progress_bar.h"
#include "tally/window_texts.h"
#include "ui/dialogs/form2.h"
#include "ui/dialogs/form3.h"
#include "ui/dialogs/frm_about.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <array>

// A named child; a missing one ends the run, naming it.
template <class T = QWidget> T* Find(const QObject* parent, const QString& name)
{
    auto* found = parent->findChild<T*>(name);
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

struct MainWindow {
    Form1& form = forms::Shared<Form1>();
    QWidget* window = nullptr;

    MainWindow()
    {
        form.Show();
        window = form.Window();
    }

    template <class T = QWidget> T* Get(const char* name) const
    {
        return Find<T>(window, QLatin1String(name));
    }

    QLineEdit* Text1() const { return Get<QLineEdit>("Text1"); }
    QPushButton* Command1() const { return Get<QPushButton>("Command1"); }
    QPushButton* Command2() const { return Get<QPushButton>("Command2"); }
    QAction* Action(const char* name) const { return Get<QAction>(name); }
    std::array<int, 5> Tally() const
    {
        const CollectionTally& t = form.Tally();
        return {t.sca, t.maz, t.cin, t.lib, t.ane};
    }

    // Types the text as a user would replace the box's content.
    void Type(const QString& text) const
    {
        Text1()->selectAll();
        QTest::keyClick(Text1(), Qt::Key_Delete);
        QTest::keyClicks(Text1(), text);
    }

    // Calculates from the menu, which works whatever the state of "Calcola".
    void Calculate(const QString& text) const
    {
        Text1()->setText(text);
        Action("clac")->trigger();
    }

    // Opens a secondary window as the user does: the reward window by a
    // calculation of 750, the others from the menu.
    void Open(const QString& name) const
    {
        if (name == u"Form3")
            Calculate(QStringLiteral("750"));
        else
            Action(name == u"Form2" ? "riep" : "abt")->trigger();
    }

    static forms::Form& Secondary(const QString& name)
    {
        if (name == u"Form2")
            return forms::Shared<Form2>();
        if (name == u"Form3")
            return forms::Shared<Form3>();
        return forms::Shared<frmAbout>();
    }
};

// The five levels' controls, top to bottom, by the names the windows use,
// and the captions of the counts.
template <const char* BandNames::*control> constexpr std::array<const char*, kTallyLevels> Column()
{
    std::array<const char*, kTallyLevels> names{};
    for (int i = 0; i < kTallyLevels; ++i)
        names[i] = kBandNames[i].*control;
    return names;
}
inline constexpr auto kCounts = Column<&BandNames::count>();
inline constexpr auto kShortfalls = Column<&BandNames::shortfall>();
inline constexpr auto kBars = Column<&BandNames::bar>();
inline const std::array<const char*, 5> kCaptions
    = {"Scalpi di Moon Tug: ", "Mazze di Skraugbashor: ", "Cinture della forza Skraug: ",
       "Libri del collezionista: ", "Anelli del Leone: "};

// Everything of the main window a calculation can change.
struct Snapshot {
    QStringList counts, shortfalls;
    QList<float> bars;
    bool calcola = false, riepilogo = false;
    std::array<int, 5> tally{};

    bool operator==(const Snapshot&) const = default;
};

inline Snapshot Take(const MainWindow& main)
{
    Snapshot s;
    for (int i = 0; i < 5; ++i) {
        s.counts << main.Get<QLabel>(kCounts[i])->text();
        s.shortfalls << main.Get<QLabel>(kShortfalls[i])->text();
        s.bars << main.Get<forms::ProgressBar>(kBars[i])->Value();
    }
    s.calcola = main.Command1()->isEnabled();
    s.riepilogo = main.Command2()->isEnabled();
    s.tally = main.Tally();
    return s;
}

// What the window shows after a calculation, given what it showed before:
// each level's label, bar and shortfall as far as the calculation got.
inline Snapshot Shown(const Snapshot& before, const oracle::Calculation& c)
{
    Snapshot shown = before;
    shown.counts.resize(5);
    shown.shortfalls.resize(5);
    shown.bars.resize(5);
    for (int i = 0; i < 5; ++i) {
        if (i < c.shown)
            shown.counts[i] = kCaptions[i] + QString::number(c.counts[i]);
        if (i < c.barsSet)
            shown.bars[i] = float(c.counts[i]);
        if (i < c.formed)
            shown.shortfalls[i] = QString::number(c.shortfalls[i]);
    }
    shown.tally = c.counts;
    shown.calcola = false;
    shown.riepilogo = c.error == 0;
    return shown;
}

// What a calculation of s (0..750) shows, whatever was there before.
inline Snapshot Calculated(int s)
{
    return Shown({}, oracle::Calculate(s, oracle::Bars::kChecked));
}
