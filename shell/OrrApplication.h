#pragma once
// The desktop program's application object. Every event is delivered inside
// one exception boundary: a run-time failure that escapes a handler is
// reported with gfReportRunTimeError and the program goes on, so no
// unsaved document is lost to it.
#include <QApplication>
#include <functional>

namespace orr {

// Runs fn; what it throws is reported, and the result is then false.
bool gfRunGuarded(const std::function<bool()>& fn);

class OrrApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace orr
