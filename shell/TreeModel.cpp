#include "shell/TreeModel.h"

#include <QColor>
#include <QPainter>
#include <algorithm>

#include "shell/IconCache.h"

namespace orr {

TreeModel::TreeModel(clsTree& tree, QObject* parent) : QAbstractItemModel(parent), mTree(tree)
{
    mTree.AddObserver(this);
}

TreeModel::~TreeModel() { mTree.RemoveObserver(this); }

NodeId TreeModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? mTree.Child(ParentOf(index), std::uint32_t(index.row())) : NodeId{};
}

QModelIndex TreeModel::IndexOf(NodeId node) const
{
    if (!node || !mTree.IsValid(node) || mTree.IsDetached(node))
        return {};
    return createIndex(int(mTree.Row(node)), 0, IdOf(mTree.Parent(node)));
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (mbResetting || row < 0 || column != 0 || parent.column() > 0)
        return {};
    const NodeId p = NodeOf(parent);
    if (parent.isValid() && !p)
        return {};
    if (std::uint32_t(row) >= mTree.PeekChildCount(p))
        return {};
    return createIndex(row, 0, IdOf(p));
}

QModelIndex TreeModel::parent(const QModelIndex& child) const
{
    return child.isValid() ? IndexOf(ParentOf(child)) : QModelIndex();
}

int TreeModel::rowCount(const QModelIndex& parent) const
{
    if (mbResetting || parent.column() > 0)
        return 0;
    if (parent.isValid() && LeafOfPending(parent))
        return 0;
    return int(mTree.PeekChildCount(NodeOf(parent)));
}

bool TreeModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!hasChildren(index))
        f |= Qt::ItemNeverHasChildren;
    if (mfnText)
        f |= Qt::ItemIsEditable;
    return f;
}

bool TreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const NodeId node = NodeOf(index);
    if (role != Qt::EditRole || !node || !mfnText)
        return false;
    mfnText(node, value.toString().toLatin1().toStdString());
    return true;
}

const QIcon& TreeModel::IconOf(ImageId image) const
{
    const std::size_t i = image.value;
    if (i >= mIcons.size()) {
        mIcons.resize(i + 1);
        mIconKnown.resize(i + 1, false);
    }
    if (!mIconKnown[i]) {
        mIcons[i] = IconCache::Instance().Icon(QString::fromStdString(mTree.ImageText(image)));
        mIconKnown[i] = true;
    }
    return mIcons[i];
}

const QIcon& TreeModel::MarkedIconOf(ImageId image) const
{
    const std::size_t i = image.value;
    if (i >= mMarkedIcons.size())
        mMarkedIcons.resize(i + 1);
    if (mMarkedIcons[i].isNull()) {
        QPixmap pm = IconOf(image).pixmap(16, 16);
        if (pm.isNull()) {
            pm = QPixmap(16, 16);
            pm.fill(Qt::transparent);
        }
        QPainter painter(&pm);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(QColor(200, 0, 0));
        painter.drawEllipse(QRectF(8.5, 8.5, 7, 7));
        mMarkedIcons[i] = QIcon(pm);
    }
    return mMarkedIcons[i];
}

void TreeModel::SetMarks(const std::vector<std::pair<NodeId, std::uint16_t>>& marks)
{
    RepaintMarks();  // what was marked is drawn plain again
    mMarked.clear();
    mMarkedElements.clear();
    for (const auto& [segment, nPos] : marks) {
        if (nPos > 0)
            mMarkedElements[segment.value].push_back(nPos);
        for (NodeId n = segment; n && mMarked.insert(n.value).second; n = mTree.Parent(n)) {
        }
    }
    RepaintMarks();
}

bool TreeModel::Marked(NodeId node) const
{
    if (mMarked.empty())
        return false;
    if (mMarked.count(node.value))
        return true;
    const auto it = mMarkedElements.find(mTree.Parent(node).value);
    if (it == mMarkedElements.end())
        return false;
    const auto nPos = static_cast<std::uint16_t>(mTree.Row(node) + 1);
    return std::find(it->second.begin(), it->second.end(), nPos) != it->second.end();
}

void TreeModel::RepaintMarks()
{
    const QList<int> roles = {Qt::ForegroundRole, Qt::DecorationRole};
    auto repaint = [&](NodeId node) {
        if (const QModelIndex i = IndexOf(node); i.isValid())
            emit dataChanged(i, i, roles);
    };
    for (const std::uint32_t n : mMarked)
        repaint(NodeId(n));
    // Elements already made; the others are drawn marked when they are made.
    for (const auto& [nSegment, positions] : mMarkedElements)
        if (!mTree.ChildrenPending(NodeId(nSegment)))
            for (const std::uint16_t nPos : positions)
                repaint(mTree.Child(NodeId(nSegment), nPos - 1u));
}

QVariant TreeModel::data(const QModelIndex& index, int role) const
{
    const NodeId node = NodeOf(index);
    if (mbResetting || !node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole: {
        const std::string_view s = mTree.Text(node);
        return QString::fromLatin1(s.data(), qsizetype(s.size()));
    }
    case Qt::DecorationRole: {
        const ImageId image = mTree.Expanded(node) && mTree.ExpandedImageOf(node) ? mTree.ExpandedImageOf(node)
                                                                                   : mTree.ImageOf(node);
        if (Marked(node))
            return MarkedIconOf(image);
        return image ? QVariant(IconOf(image)) : QVariant();
    }
    case Qt::ForegroundRole:
        return Marked(node) ? QVariant(QColor(160, 0, 0)) : QVariant();
    case Qt::BackgroundRole: {
        const std::uint8_t n = mTree.BackColorIndex(node);
        if (n == 0)
            return {};  // the view's own colour
        const std::uint32_t rgb = mTree.PaletteColor(n);
        return QColor(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF);
    }
    case TagRole:
        return QString::fromStdString(mTree.Tag(node));
    case NodeIdRole:
        return quint32(node.value);
    default:
        return {};
    }
}

void TreeModel::EndChange(void (TreeModel::*fnEnd)())
{
    (this->*fnEnd)();
    mbChanging = false;
}

void TreeModel::AboutToInsert(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast)
{
    mbChanging = true;
    beginInsertRows(IndexOf(parent), int(nFirst), int(nLast));
}

void TreeModel::AboutToRemove(NodeId parent, std::uint32_t nFirst, std::uint32_t nLast)
{
    mbChanging = true;
    beginRemoveRows(IndexOf(parent), int(nFirst), int(nLast));
}

void TreeModel::AboutToMove(NodeId from, std::uint32_t nRow, NodeId to, std::uint32_t nDestRow)
{
    mbChanging = true;
    beginMoveRows(IndexOf(from), int(nRow), int(nRow), IndexOf(to), int(nDestRow));
}

void TreeModel::Reset()
{
    mbResetting = false;
    // Image ids belong to the tree's contents, which may have been swapped.
    mIcons.clear();
    mIconKnown.clear();
    mMarkedIcons.clear();
    endResetModel();
}

void TreeModel::Changed(NodeId node, unsigned nWhat)
{
    const QModelIndex i = IndexOf(node);
    if (!i.isValid())
        return;
    QList<int> roles;
    if (nWhat & kChangeText)
        roles << Qt::DisplayRole << Qt::ToolTipRole;
    if (nWhat & (kChangeImage | kChangeExpanded))
        roles << Qt::DecorationRole;
    if (nWhat & kChangeBackColor)
        roles << Qt::BackgroundRole;
    if (nWhat & kChangeTag)
        roles << TagRole;
    if (!roles.isEmpty())
        emit dataChanged(i, i, roles);
    if (nWhat & kChangeExpanded)
        emit expandRequested(i, mTree.Expanded(node));
}

}  // namespace orr
