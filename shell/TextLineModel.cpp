#include "shell/TextLineModel.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "store/clsFileMapping.h"

namespace orr {
namespace {

bool LineBreak(char c) { return c == '\n' || c == '\r'; }

}  // namespace

TextLineModel::TextLineModel(QObject* parent) : QAbstractListModel(parent) {}

TextLineModel::~TextLineModel() = default;

bool TextLineModel::Load(const std::string& sFile)
{
    beginResetModel();
    mStarts.clear();
    mOwned.clear();
    mFile = clsFileMapping::Open(sFile);
    bool bRead = mFile != nullptr;
    if (!bRead) {
        std::ifstream in(sFile, std::ios::binary);
        mOwned.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        bRead = in.is_open() && !in.bad();
    }
    const std::string_view text = Text();
    for (std::size_t i = 0; i < text.size();) {
        mStarts.push_back(i);
        const auto rowEnd = text.begin() + std::ptrdiff_t(std::min(text.size(), i + kWrap));
        const auto at = std::find_if(text.begin() + std::ptrdiff_t(i), rowEnd, LineBreak);  // or rowEnd
        i = std::size_t(at - text.begin());
        if (i < text.size() && LineBreak(text[i]))  // CR LF, LF or a lone CR ends the line
            i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? std::size_t{2} : std::size_t{1};
    }
    endResetModel();
    return bRead;
}

std::string_view TextLineModel::Text() const { return mFile ? mFile->Text() : std::string_view(mOwned); }

std::string_view TextLineModel::Row(std::size_t nRow) const
{
    const std::string_view text = Text();
    const std::string_view rest = text.substr(mStarts[nRow], kWrap);
    return rest.substr(0, std::size_t(std::find_if(rest.begin(), rest.end(), LineBreak) - rest.begin()));
}

int TextLineModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(mStarts.size()); }

QVariant TextLineModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || std::size_t(index.row()) >= mStarts.size())
        return {};
    const std::string_view row = Row(std::size_t(index.row()));
    return QString::fromLatin1(row.data(), qsizetype(row.size()));
}

}  // namespace orr
