// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/accessible.h"

#include "forms/accessible_line_edit.h"
#include "forms/progress_bar.h"

#include <QAccessibleWidget>
#include <QDialog>
#include <QFocusFrame>
#include <QMenu>

namespace forms {

namespace {

const char* const kHidden = "forms_accessibleHidden";

// What a QProgressBar reports: its role, and its value and range.
class AccessibleProgressBar : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleProgressBar(ProgressBar* bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override { return Bar()->Value(); }
    // The program alone sets a bar.
    void setCurrentValue(const QVariant&) override { }
    QVariant maximumValue() const override { return Bar()->Max(); }
    QVariant minimumValue() const override { return Bar()->Min(); }
    QVariant minimumStepSize() const override { return 0; }

private:
    ProgressBar* Bar() const { return static_cast<ProgressBar*>(widget()); }
};

// A window or panel whose hidden children are left out of the tree.
class AccessibleContainer : public QAccessibleWidget {
public:
    AccessibleContainer(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role)
    {
    }

    int childCount() const override { return int(Children().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> children = Children();
        if (index < 0 || index >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children.at(index));
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child || !child->object())
            return -1;
        return int(Children().indexOf(child->object()));
    }

private:
    // The children Qt lists, less the hidden ones.
    QList<QWidget*> Children() const
    {
        QList<QWidget*> children;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child && !child->isWindow() && !qobject_cast<QFocusFrame*>(child)
                && !qobject_cast<QMenu*>(child) && !IsHiddenFromAccessibility(child)
                && child->objectName() != QLatin1String("qt_rubberband"))
                children.append(child);
        }
        return children;
    }
};

// The message of an Announcer, as its name.
class AccessibleAnnouncer : public QAccessibleWidget {
public:
    explicit AccessibleAnnouncer(Announcer* announcer)
        : QAccessibleWidget(announcer, QAccessible::Notification)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const Announcer*>(widget())->Message();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    if (className == QLatin1String(ProgressBar::staticMetaObject.className()))
        return new AccessibleProgressBar(static_cast<ProgressBar*>(object));
    if (className == QLatin1String(Announcer::staticMetaObject.className()))
        return new AccessibleAnnouncer(static_cast<Announcer*>(object));
    if (QAccessibleInterface* edit = LineEditInterface(className, object))
        return edit;
    // Plain panels and dialogs only: Qt's own subclasses keep their interfaces.
    if (object->metaObject() == &QWidget::staticMetaObject)
        return new AccessibleContainer(static_cast<QWidget*>(object), QAccessible::Client);
    if (object->metaObject() == &QDialog::staticMetaObject)
        return new AccessibleContainer(static_cast<QWidget*>(object), QAccessible::Dialog);
    return nullptr;
}

} // namespace

void InstallAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void HideFromAccessibility(QWidget* widget)
{
    widget->setProperty(kHidden, true);
}

bool IsHiddenFromAccessibility(const QObject* object)
{
    return object->property(kHidden).toBool();
}

Announcer::Announcer(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(0, 0);
    hide();
}

void Announcer::Announce(const QString& message)
{
    // Shown afresh each time: the screen reader speaks a notification when
    // it appears.
    hide();
    message_ = message;
    show();
}

} // namespace forms
