// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "forms/arrangement.h"
#include "forms/form.h"
#include "tally/collection_tally.h"

#include <array>
#include <memory>

namespace Ui {
class Form1;
}
class FingerStyle;
namespace forms {
class Announcer;
class Label;
class ProgressBar;
} // namespace forms

// The calculator window. Its shared instance holds the program's one tally.
class Form1 : public forms::Form {
    Q_OBJECT

public:
    Form1();
    ~Form1() override;

    void Form_Load() override;
    void Text1_Change();
    void Command1_Click();
    void Command2_Click();
    void clac_Click();
    void riep_Click();
    void exit_Click();
    void abt_Click();

    // How the window is laid out: as designed, or for a finger on a phone
    // held upright or turned, where the designed window does not fit.
    enum class Arrangement { Designed, Upright, Turned };
    Arrangement CurrentArrangement() const { return arrangement_; }

    // The counts of the last calculation; the summary window reads them,
    // and tests set them up.
    const CollectionTally& Tally() const { return tally_; }
    CollectionTally& Tally() { return tally_; }

protected:
    QWidget* BuildWindow() override;
    void Arrange() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One band of the window per level of the chain.
    struct Band {
        TallyLevel level;
        forms::Label* count;
        forms::ProgressBar* bar;
        forms::Label* shortfall;
        std::array<forms::Label*, 3> scale; // under the bar: its ends and middle
    };
    // The arrangements, in form1_arrangement.cpp.
    void LayOutAsDesigned();
    void LayOutForFinger(bool upright, int fontPixels, int target);

    std::unique_ptr<Ui::Form1> ui;
    CollectionTally tally_;
    std::array<Band, kTallyLevels> bands_{};
    // Tells a screen reader the counts once a calculation is through.
    forms::Announcer* announcer_ = nullptr;
    // The client area as designed, menu bar included, and its controls' places.
    QSize designedSize_;
    forms::StoredLayout designed_;
    Arrangement arrangement_ = Arrangement::Designed;
    FingerStyle* fingerStyle_ = nullptr;
};
