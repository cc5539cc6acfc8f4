// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/dialogs/frm_about.h"

#include "app/app.h"
#include "forms/label.h"
#include "forms/line.h"
#include "tally/window_texts.h"
#include "ui_frm_about.h"

#include <QDialog>
#include <QEvent>

namespace {
constexpr int kIconSide = 32;
// On a screen too narrow for the window (a phone held upright): the texts
// wider, the logo below them, the rule and the last line under it.
const QHash<QString, QRect> kNarrow = {
    {"lblTitle", {70, 16, 266, 32}},       {"lblVersion", {70, 52, 266, 15}},
    {"lblDescription", {70, 75, 266, 78}}, {"Image1", {119, 160, 113, 127}},
    {"Line1_1", {6, 296, 341, 1}},         {"Line1_0", {7, 297, 340, 2}},
    {"lblDisclaimer", {17, 308, 228, 23}}, {"cmdOK", {253, 308, 84, 23}},
};
constexpr QSize kNarrowSize(352, 343);
} // namespace

frmAbout::frmAbout() : ui(std::make_unique<Ui::frmAbout>()) { }

frmAbout::~frmAbout() = default;

QWidget* frmAbout::BuildWindow()
{
    auto* window
        = new QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // cmdOK is the first widget in the .ui, so the focus chain starts on it:
    // Qt 6.4's setTabOrder() cannot move a window's first widget later.
    ui->setupUi(window);
    window->setFixedSize(window->size());
    layout_ = forms::StoredLayout(window);
    // The client area's top-left corner, whatever the owner's place, is the
    // .ui's clientOrigin (uic drops a window's own x and y). setGeometry
    // places the client area, move() would place the frame.
    window->setGeometry(QRect(window->property("clientOrigin").toPoint(), window->size()));
    // Qt caches the pixmaps drawn from an icon under that icon's identity:
    // a new icon on every loading would leave new copies in the cache.
    if (icon_.isNull())
        icon_ = window->windowIcon();
    window->setWindowIcon(icon_);
    // The icon's 32x32 image of the most colours; a QPixmap of the file
    // would take its first image, the 16-colour one.
    ui->picIcon->setPixmap(icon_.pixmap(kIconSide, kIconSide));
    // OK is the default and the cancel button: Enter and Esc press it.
    SetCancelButton(ui->cmdOK);
    connect(ui->cmdOK, &QPushButton::clicked, this, Handler(&frmAbout::cmdOK_Click));
    storedTitle_ = ui->lblTitle->palette();
    storedDescription_ = ui->lblDescription->palette();
    storedDisclaimer_ = ui->lblDisclaimer->palette();
    storedShadow_ = ui->Line1_1->palette();
    storedLight_ = ui->Line1_0->palette();
    followsDark_ = false;
    // Later palette changes reach eventFilter(), which Load() installs.
    FollowPalette(window);
    return window;
}

void frmAbout::FollowPalette(QWidget* window)
{
    const QPalette& own = window->palette();
    const bool dark
        = own.color(QPalette::Window).lightness() < own.color(QPalette::WindowText).lightness();
    // Stored colours stay untouched until a dark palette has been followed.
    if (!dark && !followsDark_)
        return;
    followsDark_ = dark;
    // One colour role, in every colour group, taken from the window's palette.
    const auto follow = [&](QWidget* widget, const QPalette& stored, QPalette::ColorRole from) {
        if (!dark) {
            widget->setPalette(stored);
            return;
        }
        QPalette palette = stored;
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, QPalette::WindowText, own.color(group, from));
        widget->setPalette(palette);
    };
    follow(ui->lblTitle, storedTitle_, QPalette::WindowText);
    follow(ui->lblDescription, storedDescription_, QPalette::WindowText);
    follow(ui->lblDisclaimer, storedDisclaimer_, QPalette::WindowText);
    // What an etched line is drawn with: the dark shade above the light one.
    follow(ui->Line1_1, storedShadow_, QPalette::Dark);
    follow(ui->Line1_0, storedLight_, QPalette::Light);
}

void frmAbout::Arrange()
{
    if (forms::FitsScreen(Window(), layout_.Size()))
        layout_.Apply();
    else
        layout_.Apply(1, kNarrow, kNarrowSize);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Window() && event->type() == QEvent::PaletteChange)
        FollowPalette(Window());
    return Form::eventFilter(watched, event);
}

void frmAbout::Form_Load()
{
    Window()->setWindowTitle(QString::fromStdString(texts::AboutTitle(App::Title)));
    ui->lblVersion->setText(
        QString::fromStdString(texts::Version(App::Major, App::Minor, App::Revision)));
    ui->lblTitle->setText(QString::fromUtf8(App::Title));
    ui->lblDisclaimer->setText(QString::fromUtf8(App::LegalCopyright));
}

void frmAbout::cmdOK_Click()
{
    Unload();
}
