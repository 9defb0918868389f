#include "shell/QSettingsStore.h"

#include <algorithm>

namespace orr {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString KeyPath(const std::string& sSection, const std::string& sKey) { return Q(sSection) + u'/' + Q(sKey); }

// Digit runs compare by value, so "RecentFile2" sorts before "RecentFile10".
bool NaturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype si = i, sj = j;
            while (i < a.size() && a[i].isDigit()) ++i;
            while (j < b.size() && b[j].isDigit()) ++j;
            const QString na = a.mid(si, i - si), nb = b.mid(sj, j - sj);
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (na != nb) return na < nb;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

}  // namespace

QSettingsStore::QSettingsStore(const QString& sIniFile)
    : mSettings(sIniFile.isEmpty()
                    ? std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                  QStringLiteral("Orrindale"), QStringLiteral("Orrindale"))
                    : std::make_unique<QSettings>(sIniFile, QSettings::IniFormat))
{
}

std::string QSettingsStore::Get(const std::string&, const std::string& sSection, const std::string& sKey,
                                const std::string& sDefault) const
{
    const QVariant v = mSettings->value(KeyPath(sSection, sKey));
    return v.isValid() ? v.toString().toStdString() : sDefault;
}

void QSettingsStore::Save(const std::string&, const std::string& sSection, const std::string& sKey,
                          const std::string& sValue)
{
    mSettings->setValue(KeyPath(sSection, sKey), Q(sValue));
}

void QSettingsStore::Delete(const std::string&, const std::string& sSection, const std::string& sKey)
{
    mSettings->remove(KeyPath(sSection, sKey));
}

SettingsList QSettingsStore::ListSection(const std::string&, const std::string& sSection) const
{
    mSettings->beginGroup(Q(sSection));
    QStringList keys = mSettings->childKeys();
    std::sort(keys.begin(), keys.end(), NaturalLess);
    SettingsList list;
    for (const QString& key : keys)
        list.emplace_back(key.toStdString(), mSettings->value(key).toString().toStdString());
    mSettings->endGroup();
    return list;
}

}  // namespace orr
