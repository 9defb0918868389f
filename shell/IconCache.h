#pragma once
// The program's images, one QIcon per image key, built once at start-up.
// Tree nodes waiting to be pasted carry the key with the prefix "cut" or
// "cop"; those icons are composed here from the plain ones.
#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <vector>

namespace orr {

class IconCache {
public:
    // The shared cache, built on first use (needs a QGuiApplication).
    static const IconCache& Instance();

    // Keys drawn as files, and the tree keys that also get "cut"/"cop" forms.
    static const QStringList& BaseKeys();
    static const QStringList& TreeKeys();

    // The program's own icon, for every window's title bar (needs a QGuiApplication).
    static QIcon ProgramIcon();

    // A null icon for an unknown key.
    QIcon Icon(const QString& sKey) const;
    bool Has(const QString& sKey) const { return mIndex.contains(sKey); }

    // Keys as small numbers, for views that paint many rows.
    int IndexOf(const QString& sKey) const { return mIndex.value(sKey, -1); }
    const QIcon& At(int nIndex) const { return mIcons.at(std::size_t(nIndex)); }
    int Count() const { return int(mIcons.size()); }

private:
    IconCache();
    void Add(const QString& sKey, const QIcon& icon);

    std::vector<QIcon> mIcons;
    QHash<QString, int> mIndex;
};

}  // namespace orr
