#pragma once
// The lines of a text file as list rows, read from the file in place as the
// view shows them: a document of many megabytes costs an index of where its
// rows start, not a text layout. A line longer than kWrap characters goes on
// in further rows, as a wrapped line would (EDI text has no blanks to wrap at).
#include <QAbstractListModel>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orr {

class clsFileMapping;

class TextLineModel final : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr std::size_t kWrap = 200;

    explicit TextLineModel(QObject* parent = nullptr);
    ~TextLineModel() override;

    // False when the file cannot be read; the model is then empty.
    bool Load(const std::string& sFile);
    // The whole text.
    std::string_view Text() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::string_view Row(std::size_t nRow) const;

    std::unique_ptr<clsFileMapping> mFile;
    std::string mOwned;  // where the file could not be mapped
    std::vector<std::uint64_t> mStarts;
};

}  // namespace orr
