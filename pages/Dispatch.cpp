#include "pages/Dispatch.h"

#include "engine/Error.h"
#include "pages/ErrorBox.h"

#include <QByteArray>
#include <QString>

namespace sorvex {

bool Dispatch(const std::function<void()>& handler) noexcept
{
    try {
        handler();
        return true;
    } catch (const SilentAbort&) {
    } catch (const Error& error) {
        const std::string_view path = error.Path();
        ShowErrorBox(QString::fromUtf8(error.Lead()), QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    } catch (const std::exception& error) {
        ShowErrorBox(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(QString());
    }
    return false;
}

} // namespace sorvex
