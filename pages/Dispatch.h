#pragma once

#include <QAbstractButton>
#include <QObject>

#include <functional>

namespace sorvex {

// Runs one handler. An error it raises abandons it and is shown in the error box
// (a silent abort shows nothing); nothing unwinds into Qt. False when it failed.
bool Dispatch(const std::function<void()>& handler) noexcept;

// Connects a button to its page's handler through Dispatch.
template <class Page>
void Bind(QAbstractButton* button, Page* page, void (Page::*handler)())
{
    QObject::connect(button, &QAbstractButton::clicked, page,
                     [page, handler] { Dispatch([page, handler] { (page->*handler)(); }); });
}

} // namespace sorvex
