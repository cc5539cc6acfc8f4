#pragma once

#include "forms/form.h"
#include "tally/collection_tally.h"

#include <array>
#include <memory>

namespace Ui {
class Form1;
}
namespace forms {
class Announcer;
class Label;
class ProgressBar;
} // namespace forms

// The calculator window. Its shared instance holds the program's one tally
// as the public fields sca, maz, cin, lib and ane.
class Form1 : public forms::Form, public CollectionTally {
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

protected:
    QWidget* BuildWindow() override;

private:
    // One band of the window per level of the chain.
    struct Band {
        TallyLevel level;
        const char* caption;
        forms::Label* count;
        forms::ProgressBar* bar;
        forms::Label* shortfall;
    };
    static QString ItemName(const Band& band);

    std::unique_ptr<Ui::Form1> ui;
    std::array<Band, kTallyLevels> bands_{};
    // Tells a screen reader the counts once a calculation is through.
    forms::Announcer* announcer_ = nullptr;
};
