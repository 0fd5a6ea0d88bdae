#include "pages/Dispatch.h"

#include "engine/Error.h"
#include "pages/ErrorBox.h"

#include <QString>

namespace sorvex {

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

} // namespace sorvex
