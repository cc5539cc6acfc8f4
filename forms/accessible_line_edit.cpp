// SPDX-License-Identifier: GPL-3.0-or-later

// Qt's own text interface for QLineEdit can spin for ever when a screen
// reader asks for a piece of the text: textAtOffset with word boundaries
// never returns for some offsets (-1 among them), in 6.4.2 and in 6.8.2
// alike. So the program answers the text box's queries itself on every Qt;
// tests/test_accessibility.cpp asks at every offset under a watchdog. The box
// is always editable and shows its text, so no read-only or password branches.

#include "forms/accessible_line_edit.h"

#include <QAccessibleWidget>
#include <QLineEdit>

#include <algorithm>
#include <utility>

namespace forms {

namespace {

// A one-line text box's text, each piece found by a bounded scan around
// the offset.
class AccessibleLineEdit : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
public:
    explicit AccessibleLineEdit(QLineEdit* edit)
        : QAccessibleWidget(edit, QAccessible::EditableText)
    {
        addControllingSignal(QStringLiteral("textChanged(const QString&)"));
        addControllingSignal(QStringLiteral("returnPressed()"));
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Edit()->text();
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = Edit()->placeholderText();
        return text;
    }

    void setText(QAccessible::Text t, const QString& text) override
    {
        if (t != QAccessible::Value) {
            QAccessibleWidget::setText(t, text);
            return;
        }
        Edit()->setText(text);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.selectableText = true;
        return state;
    }

    // Selection and cursor.
    void selection(int index, int* start, int* end) const override
    {
        *start = *end = 0;
        if (index != 0 || !Edit()->hasSelectedText())
            return;
        *start = Edit()->selectionStart();
        *end = Edit()->selectionEnd();
    }
    int selectionCount() const override { return Edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override
    {
        if (index == 0)
            Edit()->deselect();
    }
    void setSelection(int index, int start, int end) override
    {
        if (index != 0)
            return;
        const int length = characterCount();
        start = std::clamp(start, 0, length);
        end = std::clamp(end, 0, length);
        Edit()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return Edit()->cursorPosition(); }
    void setCursorPosition(int position) override { Edit()->setCursorPosition(position); }

    // Text.
    QString text(int start, int end) const override
    {
        const QString text = Edit()->text();
        start = std::clamp(start, 0, int(text.size()));
        end = std::clamp(end, start, int(text.size()));
        return text.mid(start, end - start);
    }
    int characterCount() const override { return int(Edit()->text().size()); }

    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override
    {
        return Piece(offset, type, -1, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override
    {
        return Piece(offset, type, 0, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override
    {
        return Piece(offset, type, 1, start, end);
    }

    // Geometry.
    QRect characterRect(int offset) const override
    {
        const QString text = Edit()->text();
        if (offset < 0 || offset >= text.size())
            return {};
        // Measured from the cursor's place, which Qt keeps scrolled in view.
        const QFontMetrics metrics = Edit()->fontMetrics();
        const QRect cursor = Edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int cursorX = cursor.center().x();
        const int position = Edit()->cursorPosition();
        const int x
            = offset >= position
                  ? cursorX + metrics.horizontalAdvance(text.mid(position, offset - position))
                  : cursorX - metrics.horizontalAdvance(text.mid(offset, position - offset));
        const QRect rect(x, cursor.top(), metrics.horizontalAdvance(text.at(offset)),
                         cursor.height());
        return QRect(Edit()->mapToGlobal(rect.topLeft()), rect.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return Edit()->cursorPositionAt(Edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int, int end) override { setCursorPosition(end); }
    // One run without attributes over the whole text: a run of no length
    // makes Orca drop the last character when it reads the line.
    QString attributes(int offset, int* start, int* end) const override
    {
        Q_UNUSED(offset);
        *start = 0;
        *end = characterCount();
        return {};
    }

    // Editing.
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    // As typing over a selection: one step to undo, the caret after the new text.
    void replaceText(int start, int end, const QString& text) override
    {
        const int length = characterCount();
        start = std::clamp(start, 0, length);
        end = std::clamp(end, start, length);
        Edit()->setSelection(start, end - start);
        Edit()->insert(text);
    }

private:
    QLineEdit* Edit() const { return static_cast<QLineEdit*>(widget()); }

    enum class Kind { Word, Blank, Other };

    static Kind KindOf(QChar c)
    {
        if (c.isLetterOrNumber() || c.isMark() || c == u'_')
            return Kind::Word;
        return c.isSpace() ? Kind::Blank : Kind::Other;
    }

    // The piece of the given boundary type that holds position, which lies
    // inside the text: a character (a surrogate pair counts as one), a word,
    // a run of blanks, a single other sign; anything longer is the one line.
    static std::pair<int, int> PieceAt(const QString& text, int position,
                                       QAccessible::TextBoundaryType type)
    {
        const int length = int(text.size());
        if (type != QAccessible::CharBoundary && type != QAccessible::WordBoundary)
            return {0, length};
        int start = position;
        int end = position + 1;
        const Kind kind = KindOf(text.at(position));
        if (type == QAccessible::WordBoundary && kind != Kind::Other) {
            while (start > 0 && KindOf(text.at(start - 1)) == kind)
                --start;
            while (end < length && KindOf(text.at(end)) == kind)
                ++end;
        }
        if (text.at(start).isLowSurrogate() && start > 0 && text.at(start - 1).isHighSurrogate())
            --start;
        if (text.at(end - 1).isHighSurrogate() && end < length && text.at(end).isLowSurrogate())
            ++end;
        return {start, end};
    }

    // The piece at offset, or the one before (-1) or after (+1) it. Past
    // the last character nothing is at the offset; the piece before is the
    // last one. Offsets outside the text give nothing.
    QString Piece(int offset, QAccessible::TextBoundaryType type, int step, int* start,
                  int* end) const
    {
        const QString text = Edit()->text();
        const int length = int(text.size());
        if (offset == -2)
            offset = Edit()->cursorPosition();
        *start = *end = -1;
        if (offset < 0 || offset > length)
            return {};
        *start = *end = offset;
        std::pair<int, int> piece{length, length};
        if (offset < length) {
            piece = PieceAt(text, offset, type);
        } else if (type != QAccessible::CharBoundary && type != QAccessible::WordBoundary
                   && step == 0) {
            // The end of the text still belongs to its one line.
            piece = {0, length};
        }
        if (step < 0) {
            if (piece.first == 0)
                return {};
            piece = PieceAt(text, piece.first - 1, type);
        } else if (step > 0) {
            if (piece.second >= length)
                return {};
            piece = PieceAt(text, piece.second, type);
        }
        if (piece.first == piece.second)
            return {};
        *start = piece.first;
        *end = piece.second;
        return text.mid(piece.first, piece.second - piece.first);
    }
};

} // namespace

QAccessibleInterface* LineEditInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String("QLineEdit"))
        return new AccessibleLineEdit(static_cast<QLineEdit*>(object));
    return nullptr;
}

} // namespace forms
