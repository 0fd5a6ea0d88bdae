#include "pages/Look.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>

namespace sorvex {

QFont PageFont()
{
    const QStringList families = QFontDatabase::families();
    if (families.contains(QStringLiteral("MS Sans Serif")))
        return QFont(QStringLiteral("MS Sans Serif"), 8);
    // Liberation Sans and Arimo share Arial's widths, the nearest to the pages' design.
    QFont font(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
                           QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

void PrepareApplication()
{
    // No application display name: the X11 platform would append it to every
    // window's title, and each caption must read exactly as given.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/sorvex-256.png")));
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setFont(PageFont());
    // Pages are hidden and shown, never closed; the program ends only through Terminate.
    QApplication::setQuitOnLastWindowClosed(false);
}

} // namespace sorvex
