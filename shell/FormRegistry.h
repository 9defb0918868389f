#pragma once
// The program's loaded windows in load order, for the fatal-error sequence
// that announces and unloads each of them.
#include <QPointer>
#include <QWidget>
#include <vector>

#include "app/modSystem.h"

namespace orr {

class FormRegistry {
public:
    static void Add(QWidget* pForm);
    static void Remove(QWidget* pForm);
    // Live windows, first loaded first; names are the object names.
    static std::vector<LoadedForm> Loaded();
    // Routes gfSystemIllogic through the real windows, then exits.
    static void InstallSystemIllogicHost();

private:
    static std::vector<QPointer<QWidget>>& Forms();
};

}  // namespace orr
