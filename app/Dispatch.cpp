#include "app/Dispatch.h"

#include "app/Errors.h"

#include <QString>

bool Dispatch(const std::function<void()>& handler) noexcept
{
    try {
        handler();
        return true;
    } catch (const SilentAbort&) {
    } catch (const std::exception& error) {
        ShowErrorBox(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(QString());
    }
    return false;
}
