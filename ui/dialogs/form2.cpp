// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/dialogs/form2.h"

#include "forms/label.h"
#include "tally/window_texts.h"
#include "ui/dialogs/tool_window.h"
#include "ui/main/form1.h"
#include "ui_form2.h"

Form2::Form2() : ui(std::make_unique<Ui::Form2>()) { }

Form2::~Form2() = default;

QWidget* Form2::BuildWindow()
{
    QDialog* window = BuildToolWindow(*ui);
    layout_ = forms::StoredLayout(window);
    connect(ui->Command1, &QPushButton::clicked, this, Handler(&Form2::Command1_Click));
    return window;
}

// On a phone held upright the counts are read at the main window's size of
// text there: the whole window that much larger.
void Form2::Arrange()
{
    const bool upright = forms::Shared<Form1>().CurrentArrangement() == Form1::Arrangement::Upright;
    layout_.Apply(upright ? qreal(forms::kFingerFontPixels) / forms::kDesignedFontPixels : 1);
}

void Form2::Form_Load()
{
    const CollectionTally& tally = forms::Shared<Form1>().Tally();
    for (int i = 0; i < kTallyLevels; ++i) {
        const auto level = static_cast<TallyLevel>(i);
        Window()
            ->findChild<forms::Label*>(kSummaryLines[i])
            ->setText(QString::fromStdString(texts::SummaryLine(level, tally.Count(level))));
    }
}

void Form2::Command1_Click()
{
    Unload();
}
