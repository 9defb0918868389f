#include "shell/FormRegistry.h"

#include <QCoreApplication>
#include <QMdiSubWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace orr {

std::vector<QPointer<QWidget>>& FormRegistry::Forms()
{
    static std::vector<QPointer<QWidget>> forms;
    return forms;
}

void FormRegistry::Add(QWidget* pForm) { Forms().emplace_back(pForm); }

void FormRegistry::Remove(QWidget* pForm)
{
    auto& forms = Forms();
    forms.erase(std::remove_if(forms.begin(), forms.end(), [&](const auto& p) { return p.isNull() || p == pForm; }),
                forms.end());
}

std::vector<LoadedForm> FormRegistry::Loaded()
{
    std::vector<LoadedForm> loaded;
    for (const QPointer<QWidget>& p : Forms()) {
        if (p.isNull())
            continue;
        QPointer<QWidget> form = p;
        const bool bChild = qobject_cast<QMdiSubWindow*>(form->parentWidget()) != nullptr;
        loaded.push_back({form->objectName().toStdString(), bChild, [form] {
                              if (form) {
                                  form->close();
                                  delete form.data();
                              }
                          }});
    }
    return loaded;
}

void FormRegistry::InstallSystemIllogicHost()
{
    gfSetSystemIllogicHost({&FormRegistry::Loaded, [] {
                                std::fflush(nullptr);
                                std::exit(EXIT_FAILURE);
                            }});
}

}  // namespace orr
