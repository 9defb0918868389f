#include "shell/QSettingsStore.h"

#include <algorithm>

#include "app/IniSettings.h"

namespace orr {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString KeyPath(const std::string& sSection, const std::string& sKey) { return Q(sSection) + u'/' + Q(sKey); }

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
    SettingsList list;
    for (const QString& key : mSettings->childKeys())
        list.emplace_back(key.toStdString(), mSettings->value(key).toString().toStdString());
    mSettings->endGroup();
    std::sort(list.begin(), list.end(),
              [](const auto& a, const auto& b) { return IniSettings::NaturalLess(a.first, b.first); });
    return list;
}

}  // namespace orr
