// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/label.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>

namespace forms {

Label::Label(QWidget* parent) : QLabel(parent)
{
    WatchParent();
}

QString Label::DisplayText() const
{
    // A run of two or more blanks breaks the line. By hand: it runs for every
    // label at every paint.
    const QString caption = text();
    if (!caption.contains(QLatin1String("  ")))
        return caption;
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size();) {
        if (caption.at(i) == u' ' && i + 1 < caption.size() && caption.at(i + 1) == u' ') {
            while (i < caption.size() && caption.at(i) == u' ')
                ++i;
            shown += u'\n';
        } else {
            shown += caption.at(i++);
        }
    }
    return shown;
}

int Label::DrawFlags() const
{
    const int oneLine
        = int(alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop | Qt::TextDontClip;
    // A box one line high keeps its text on that line, running past the
    // box, unless the line would then leave the window.
    if (height() < 2 * fontMetrics().lineSpacing()
        && (!parentWidget()
            || parentWidget()->rect().contains(
                fontMetrics().boundingRect(geometry(), oneLine, DisplayText()))))
        return oneLine;
    return oneLine | Qt::TextWordWrap;
}

QRect Label::InkRect() const
{
    const QRect box = geometry();
    if (text().isEmpty())
        return box;
    // A pixel of slack for antialiased edges.
    return box.united(fontMetrics().boundingRect(box, DrawFlags(), DisplayText()))
        .adjusted(-1, -1, 1, 1);
}

bool Label::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange)
        WatchParent();
    return QLabel::event(event);
}

void Label::WatchParent()
{
    if (watched_)
        watched_->removeEventFilter(this);
    watched_ = parentWidget();
    if (watched_)
        watched_->installEventFilter(this);
}

void Label::Settle()
{
    // A new text repaints only the box; the window then repaints where the
    // old and the new text run past it. Checked on every paint, a grab's
    // included: a grab puts nothing on screen.
    const QRect ink = InkRect();
    if (text() == drawnText_ && ink == drawnInk_)
        return;
    watched_->update(ink.united(drawnInk_));
    drawnText_ = text();
    drawnInk_ = ink;
}

bool Label::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != watched_)
        return QLabel::eventFilter(watched, event);
    if (event->type() == QEvent::Show) {
        // Showing paints the whole window, with the text as it is now.
        drawnText_ = text();
        drawnInk_ = InkRect();
    } else if (event->type() == QEvent::Paint && isVisibleTo(watched_)) {
        if (!text().isEmpty()) {
            QPainter painter(watched_);
            painter.setFont(font());
            style()->drawItemText(&painter, geometry(), DrawFlags(), palette(), isEnabled(),
                                  DisplayText(), foregroundRole());
        }
        Settle();
    }
    return QLabel::eventFilter(watched, event);
}

} // namespace forms
