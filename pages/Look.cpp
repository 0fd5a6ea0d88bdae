#include "pages/Look.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPalette>
#include <QStyle>
#include <QTranslator>

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

// Fusion's light palette as Qt draws it with no desktop theme. Written out:
// under a theme, Qt 6.4's Fusion takes its standard palette from the theme.
QPalette LightPalette()
{
    QPalette palette(QColor(0xef, 0xef, 0xef), QColor(0xef, 0xef, 0xef));
    const struct {
        QPalette::ColorRole role;
        QRgb rgba;
    } everywhere[] = {
        {QPalette::Light, 0xffcacaca},  {QPalette::Dark, 0xff9f9f9f},      {QPalette::Mid, 0xffb8b8b8},
        {QPalette::Shadow, 0xff767676}, {QPalette::Highlight, 0xff308cc6}, {QPalette::PlaceholderText, 0x80000000},
    };
    for (const auto& colour : everywhere)
        palette.setColor(colour.role, QColor::fromRgba(colour.rgba));
    const struct {
        QPalette::ColorRole role;
        QRgb rgb;
    } disabled[] = {
        {QPalette::WindowText, 0xbebebe}, {QPalette::Text, 0xbebebe}, {QPalette::ButtonText, 0xbebebe},
        {QPalette::Dark, 0xbebebe},       {QPalette::Base, 0xefefef}, {QPalette::Shadow, 0xb1b1b1},
        {QPalette::Highlight, 0x919191},
    };
    for (const auto& colour : disabled)
        palette.setColor(QPalette::Disabled, colour.role, QColor(colour.rgb));
    return palette;
}

bool SpeakRussian()
{
    // One catalogue for the program's life; each application object is told of it again.
    static QTranslator* const words = [] {
        auto* translator = new QTranslator;
        if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete translator;
            return static_cast<QTranslator*>(nullptr);
        }
        return translator;
    }();
    return words != nullptr && QCoreApplication::installTranslator(words);
}

void PrepareApplication()
{
    // No application display name: the X11 platform would append it to every
    // window's title, and each caption must read exactly as given.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/sorvex-256.png")));
    // The pages are drawn for a light look: white bands with dark text, a red
    // warning. A desktop theme (a dark GTK theme, say) gets neither style nor palette.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(LightPalette());
    QApplication::setFont(PageFont());
    // Russian where Qt asks the default locale: the names of file types in the dialogs.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    SpeakRussian();
    // Pages are hidden and shown, never closed; the program ends only through Terminate.
    QApplication::setQuitOnLastWindowClosed(false);
}

} // namespace sorvex
