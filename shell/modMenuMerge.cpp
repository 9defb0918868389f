#include "shell/modMenuMerge.h"

#include <QMenu>

namespace orr {
namespace {

QString Caption(const QAction* a) { return a->text().remove(QLatin1Char('&')).trimmed(); }

QMenu* MenuNamed(const QMenuBar* bar, const QString& sName)
{
    for (QAction* a : bar->actions())
        if (a->menu() && a->menu()->objectName() == sName)
            return a->menu();
    return nullptr;
}

// The entry of menu (or of one of its submenus) that stands for entry.
QAction* Counterpart(const QMenu* menu, const QAction* entry)
{
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            continue;
        if (a == entry || (!entry->objectName().isEmpty() && a->objectName() == entry->objectName()) ||
            (!Caption(entry).isEmpty() && Caption(a) == Caption(entry)))
            return a;
        if (a->menu())
            if (QAction* inner = Counterpart(a->menu(), entry))
                return inner;
    }
    return nullptr;
}

// The entry of menu after a (null: the first one).
QAction* After(const QMenu* menu, const QAction* a)
{
    const QList<QAction*> actions = menu->actions();
    if (!a)
        return actions.isEmpty() ? nullptr : actions.first();
    const qsizetype i = actions.indexOf(a);
    return i >= 0 && i + 1 < actions.size() ? actions[i + 1] : nullptr;
}

void MergeMenu(const QMenu* from, QMenu* into)
{
    const QAction* previous = nullptr;  // where the last matched entry stands in into
    for (QAction* entry : from->actions()) {
        if (entry->isSeparator())
            continue;
        if (QAction* counterpart = Counterpart(into, entry)) {
            if (into->actions().contains(counterpart))
                previous = counterpart;
            continue;
        }
        into->insertAction(After(into, previous), entry);
        previous = entry;
    }
}

}  // namespace

void gfMergeMenuEntries(const QMenuBar* from, QMenuBar* into)
{
    for (QAction* fromMenu : from->actions()) {
        if (!fromMenu->menu())
            continue;
        if (QMenu* target = MenuNamed(into, fromMenu->menu()->objectName()))
            MergeMenu(fromMenu->menu(), target);
        else
            into->addAction(fromMenu);
    }
}

}  // namespace orr
