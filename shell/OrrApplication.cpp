#include "shell/OrrApplication.h"

#include <exception>

#include "app/modSystem.h"

namespace orr {

bool gfRunGuarded(const std::function<bool()>& fn)
{
    try {
        return fn();
    } catch (const std::exception& e) {
        gfReportRunTimeError(e);
    } catch (...) {
        gfReportRunTimeError("Unknown error", 0);
    }
    return false;
}

bool OrrApplication::notify(QObject* receiver, QEvent* event)
{
    return gfRunGuarded([&] { return QApplication::notify(receiver, event); });
}

}  // namespace orr
