#include "pages/Look.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QTranslator>

#include <cstring>

namespace sorvex {

namespace {

// The words Qt puts on the boxes the program shows, in the program's language.
class BoxWords final : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (std::strcmp(context, "QMessageBox") != 0)
            return {};
        if (std::strcmp(source, "Show Details...") == 0)
            return QStringLiteral("Подробности...");
        if (std::strcmp(source, "Hide Details...") == 0)
            return QStringLiteral("Скрыть подробности");
        return {};
    }
    bool isEmpty() const override { return false; }
};

} // namespace

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
    static BoxWords boxWords;
    QCoreApplication::installTranslator(&boxWords);
    // Pages are hidden and shown, never closed; the program ends only through Terminate.
    QApplication::setQuitOnLastWindowClosed(false);
}

} // namespace sorvex
