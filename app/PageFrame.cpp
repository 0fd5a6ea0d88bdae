#include "app/PageFrame.h"

#include <QFontDatabase>
#include <QWidget>

QFont PageFont()
{
    const QStringList families = QFontDatabase::families();
    if (families.contains(QStringLiteral("MS Sans Serif")))
        return QFont(QStringLiteral("MS Sans Serif"), 8);
    // Liberation Sans and Arimo share Arial's widths, the nearest to the pages' design.
    QFont font(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                           QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

void UseDialogFrame(QWidget* page)
{
    page->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

void MovePage(QWidget* from, QWidget* to)
{
    from->hide();
    to->show();
    to->move(to->x(), from->y());
    to->move(from->x(), to->y());
}
