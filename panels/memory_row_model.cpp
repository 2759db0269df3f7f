#include "panels/memory_row_model.h"

#include <QColor>
#include <algorithm>
#include <array>

#include "simulator/register_text.h"
#include "ui/colour_scheme.h"

namespace tarvix {

namespace {

// The OEM fixed font draws the control codes 01H to 1FH and 7FH as pictures; so does the
// list, which also keeps a line feed or carriage return from breaking a row in two. Code 0
// never comes: a zero byte's row reads NUL.
constexpr std::array<char16_t, 32> kControlPictures{
    u' ',      u'\u263A', u'\u263B', u'\u2665', u'\u2666', u'\u2663', u'\u2660', u'\u2022',
    u'\u25D8', u'\u25CB', u'\u25D9', u'\u2642', u'\u2640', u'\u266A', u'\u266B', u'\u263C',
    u'\u25BA', u'\u25C4', u'\u2195', u'\u203C', u'\u00B6', u'\u00A7', u'\u25AC', u'\u21A8',
    u'\u2191', u'\u2193', u'\u2192', u'\u2190', u'\u221F', u'\u2194', u'\u25B2', u'\u25BC'};
constexpr char16_t kDeletePicture = u'\u2302';

const QColor kChangedText(255, 232, 60);
const QColor kChangedBack(80, 60, 0);

QString shownAsOemFont(const std::string& text) {
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < kControlPictures.size()) {
            shown += QChar(kControlPictures[code]);
        } else if (code == 0x7F) {
            shown += QChar(kDeletePicture);
        } else {
            shown += QLatin1Char(c);
        }
    }
    return shown;
}

}  // namespace

void MemoryRowModel::setMemory(const Bytes* bytes) {
    bytes_ = bytes;
    markStop();
}

void MemoryRowModel::invalidate() {
    emit dataChanged(
        index(0), index(rowCount() - 1),
        {Qt::DisplayRole, Qt::ForegroundRole, Qt::BackgroundRole, Qt::AccessibleDescriptionRole});
}

void MemoryRowModel::markStop() {
    if (bytes_ != nullptr) {
        atStop_ = *bytes_;
    }
    invalidate();
}

bool MemoryRowModel::changedSinceStop(int row) const {
    if (bytes_ == nullptr || row < 0 || row >= rowCount()) {
        return false;
    }
    const auto first = static_cast<std::size_t>(row * bytesPerRow());
    const auto end = first + static_cast<std::size_t>(bytesPerRow());
    return !std::equal(bytes_->begin() + static_cast<std::ptrdiff_t>(first),
                       bytes_->begin() + static_cast<std::ptrdiff_t>(end),
                       atStop_.begin() + static_cast<std::ptrdiff_t>(first));
}

void MemoryRowModel::setWideRows(bool wide) {
    beginResetModel();
    wide_ = wide;
    endResetModel();
}

int MemoryRowModel::rowOf(std::uint16_t address) const {
    return (address - kMemoryFirst) / bytesPerRow();
}

int MemoryRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kMemorySize) / bytesPerRow();
}

QVariant MemoryRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount()) {
        return {};
    }
    if (role == Qt::ForegroundRole || role == Qt::BackgroundRole) {
        if (!changedSinceStop(index.row())) {
            return {};
        }
        if (highContrast()) {
            return role == Qt::ForegroundRole ? QColor(Qt::black) : QColor(255, 255, 0);
        }
        return role == Qt::ForegroundRole ? kChangedText : kChangedBack;
    }
    if (role == Qt::AccessibleDescriptionRole) {
        // The highlight's meaning, for those who cannot see its colour.
        return changedSinceStop(index.row()) ? QStringLiteral("changed") : QString();
    }
    const auto offset = static_cast<std::size_t>(index.row() * bytesPerRow());
    if (role == Qt::EditRole) {
        QStringList bytes;
        for (std::size_t i = offset; i < offset + static_cast<std::size_t>(bytesPerRow()); ++i) {
            bytes.append(QString("%1").arg(byteAt(i), 2, 16, QChar('0')).toUpper());
        }
        return bytes.join(' ');
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (wide_) {
        return wideRowText(offset);
    }
    const auto address = static_cast<std::uint16_t>(kMemoryFirst + offset);
    return shownAsOemFont(memoryRowText(address, byteAt(offset)));
}

Qt::ItemFlags MemoryRowModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags shown = QAbstractListModel::flags(index);
    return editable_ && bytes_ != nullptr ? shown | Qt::ItemIsEditable : shown;
}

bool MemoryRowModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !editable_) {
        return false;
    }
    const QStringList typed = value.toString().split(' ', Qt::SkipEmptyParts);
    if (typed.size() != bytesPerRow()) {
        return false;
    }
    std::array<std::uint8_t, kWideRowBytes> values{};
    for (qsizetype i = 0; i < typed.size(); ++i) {
        bool ok = false;
        const uint byte = typed[i].toUInt(&ok, 16);
        if (!ok || byte > 0xFF) {
            return false;
        }
        values[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(byte);
    }
    const auto first = static_cast<std::size_t>(index.row() * bytesPerRow());
    for (std::size_t i = 0; i < static_cast<std::size_t>(bytesPerRow()); ++i) {
        if (values[i] != byteAt(first + i)) {
            emit byteEdited(static_cast<std::uint16_t>(kMemoryFirst + first + i), values[i]);
        }
    }
    return true;
}

// "1000: 41 42 ...  AB..": the ASCII of the printable bytes, a dot for the others.
QString MemoryRowModel::wideRowText(std::size_t first) const {
    QString text = QString("%1:").arg(kMemoryFirst + first, 4, 16).toUpper();
    QString ascii;
    for (std::size_t i = first; i < first + kWideRowBytes; ++i) {
        const std::uint8_t value = byteAt(i);
        text += QString(" %1").arg(value, 2, 16, QChar('0')).toUpper();
        ascii += value >= 0x20 && value < 0x7F ? QChar(static_cast<char16_t>(value)) : QChar(u'.');
    }
    return text + "  " + ascii;
}

}  // namespace tarvix
