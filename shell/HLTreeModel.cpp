#include "shell/HLTreeModel.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace orr {
namespace {

const QString kMimeType = QStringLiteral("application/x-orrindale-hl-node");

}  // namespace

Qt::ItemFlags HLTreeModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags f = TreeModel::flags(index);
    return index.isValid() ? f | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled : f;
}

QStringList HLTreeModel::mimeTypes() const { return {kMimeType}; }

QMimeData* HLTreeModel::mimeData(const QModelIndexList& indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    // This model's address too: a node id means nothing in another tree.
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << quint64(reinterpret_cast<quintptr>(this)) << quint32(NodeOf(indexes.front()).value);
    auto* data = new QMimeData;
    data->setData(kMimeType, bytes);
    return data;
}

bool HLTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex& parent)
{
    const NodeId target = NodeOf(parent);
    if (!data || !target)
        return false;
    QDataStream in(data->data(kMimeType));
    quint64 nModel = 0;
    quint32 nDrag = 0;
    in >> nModel >> nDrag;
    if (in.status() != QDataStream::Ok || nModel != quint64(reinterpret_cast<quintptr>(this)))
        return false;
    emit nodeDropped(nDrag, target.value);
    return true;
}

}  // namespace orr
