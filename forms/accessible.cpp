#include "forms/accessible.h"

#include "forms/progress_bar.h"

#include <QAccessibleWidget>

namespace forms {

namespace {

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

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    if (className == QLatin1String(ProgressBar::staticMetaObject.className()))
        return new AccessibleProgressBar(static_cast<ProgressBar*>(object));
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

} // namespace forms
