#include "pages/TitleOnly.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace sorvex {

namespace {

// The five words of _MOTIF_WM_HINTS: which fields count, then the functions
// and decorations allowed.
constexpr std::uint32_t HintFunctions = 1U << 0U;
constexpr std::uint32_t HintDecorations = 1U << 1U;
constexpr std::uint32_t FunctionResize = 1U << 1U;
constexpr std::uint32_t FunctionMove = 1U << 2U;
constexpr std::uint32_t DecorationBorder = 1U << 1U;
constexpr std::uint32_t DecorationTitle = 1U << 3U;

xcb_atom_t MotifHintsAtom(xcb_connection_t* connection)
{
    constexpr const char* Name = "_MOTIF_WM_HINTS";
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(Name)), Name);
    xcb_intern_atom_reply_t* const reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply); // NOLINT: xcb hands its replies over to be freed
    return atom;
}

} // namespace

// Qt asks for a title bar without buttons by naming the functions alone, and
// a window manager that leaves its buttons to the decorations (openbox) then
// draws them all. Here the decorations are named: a border and a title.
void AskForTitleOnly(QWidget* window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* const x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* const connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return;
    const xcb_atom_t atom = MotifHintsAtom(connection);
    if (atom == XCB_ATOM_NONE)
        return;
    const std::array<std::uint32_t, 5> hints{HintFunctions | HintDecorations, FunctionMove | FunctionResize,
                                             DecorationBorder | DecorationTitle, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()), atom, atom, 32,
                        static_cast<std::uint32_t>(hints.size()), hints.data());
    xcb_flush(connection);
}

} // namespace sorvex
