#include "pages/Accessible.h"

#include "pages/Page.h"
#include "pages/ProgressBar.h"

#include <QAccessibleWidget>

namespace sorvex {

namespace {

class BarAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit BarAccessible(ProgressBar* bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text which) const override
    {
        if (which == QAccessible::Value)
            return QStringLiteral("%1 %").arg(qRound(Bar().Percent()));
        return QAccessibleWidget::text(which);
    }
    QVariant currentValue() const override { return Bar().Percent(); }
    void setCurrentValue(const QVariant&) override {} // shown, never set
    QVariant maximumValue() const override { return 100.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 100.0 / ProgressBar::Resolution; }

private:
    const ProgressBar& Bar() const { return *static_cast<const ProgressBar*>(object()); }
};

// Qt asks with the name of each class of the object's, the most derived first.
QAccessibleInterface* OwnWidget(const QString& className, QObject* object)
{
    if (className == QLatin1String(Page::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    if (className == QLatin1String(ProgressBar::staticMetaObject.className()))
        return new BarAccessible(static_cast<ProgressBar*>(object));
    return nullptr;
}

} // namespace

void ExplainOwnWidgets()
{
    QAccessible::installFactory(OwnWidget);
}

} // namespace sorvex
