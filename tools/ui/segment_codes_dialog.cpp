#include "tools/ui/segment_codes_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

// Where each segment sits in a digit drawn on a grid of three columns and five rows, with the
// decimal point outside at the bottom right.
enum class SegmentShape { Horizontal, Vertical, Point };
struct SegmentPlace {
    int row;
    int column;
    SegmentShape shape;
};
constexpr std::array<SegmentPlace, kSegmentCount> kSegmentPlaces{{
    {0, 1, SegmentShape::Horizontal},  // a
    {1, 2, SegmentShape::Vertical},    // b
    {3, 2, SegmentShape::Vertical},    // c
    {4, 1, SegmentShape::Horizontal},  // d
    {3, 0, SegmentShape::Vertical},    // e
    {1, 0, SegmentShape::Vertical},    // f
    {2, 1, SegmentShape::Horizontal},  // g
    {4, 3, SegmentShape::Point},       // h
}};

constexpr int kSegmentLength = 56;
constexpr int kSegmentThickness = 24;

const char* const kStyle =
    "QDialog { background: #808080; }"
    "QLabel { color: white; }"
    "QPushButton[segment=\"true\"] { background: #505050; color: white; border: 1px solid "
    "#404040; }"
    "QPushButton[segment=\"true\"]:checked { background: #ff2020; }";

}  // namespace

SegmentCodesDialog::SegmentCodesDialog(QWidget* parent)
    : QDialog(parent),
      hexCode_(new QLabel(QString::fromStdString(codeHexText(0)), this)),
      binaryCode_(new QLabel(QString::fromStdString(codeBinaryText(0)), this)) {
    setWindowTitle(QStringLiteral("7 segment codes"));
    setFont(monospacedFont("Courier New"));
    setStyleSheet(QString::fromLatin1(kStyle));
    hexCode_->setObjectName(QStringLiteral("hexCode"));
    binaryCode_->setObjectName(QStringLiteral("binaryCode"));

    auto* digit = new QGridLayout;
    digit->setSpacing(2);
    for (int i = 0; i < kSegmentCount; ++i) {
        const SegmentPlace& place = kSegmentPlaces[static_cast<std::size_t>(i)];
        auto* segment =
            new QPushButton(QString(QLatin1Char(kSegmentNames[static_cast<std::size_t>(i)])), this);
        segment->setObjectName(QStringLiteral("segment_") + segment->text());
        segment->setAccessibleName(QStringLiteral("Segment ") + segment->text());
        segment->setProperty("segment", true);
        segment->setCheckable(true);
        switch (place.shape) {
            case SegmentShape::Horizontal:
                segment->setFixedSize(kSegmentLength, kSegmentThickness);
                break;
            case SegmentShape::Vertical:
                segment->setFixedSize(kSegmentThickness, kSegmentLength);
                break;
            case SegmentShape::Point:
                segment->setFixedSize(kSegmentThickness, kSegmentThickness);
                break;
        }
        digit->addWidget(segment, place.row, place.column, Qt::AlignCenter);
        connect(segment, &QPushButton::toggled, this, &SegmentCodesDialog::updateCode);
        segments_[static_cast<std::size_t>(i)] = segment;
    }

    auto* table = new QLabel(QString::fromStdString(digitTableText()).trimmed(), this);
    table->setObjectName(QStringLiteral("digitTable"));

    auto* code = new QHBoxLayout;
    code->addWidget(new QLabel(QStringLiteral("Code: "), this));
    code->addWidget(hexCode_);
    code->addSpacing(16);
    code->addWidget(binaryCode_);
    code->addStretch();

    auto* left = new QVBoxLayout;
    left->addLayout(digit);
    left->addWidget(new QLabel(QStringLiteral("Click to turn 'ON' / 'OFF'"), this));
    left->addLayout(code);
    left->addStretch();

    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addSpacing(24);
    body->addWidget(table);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &SegmentCodesDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
}

void SegmentCodesDialog::updateCode() {
    std::array<bool, kSegmentCount> lit{};
    for (std::size_t i = 0; i < lit.size(); ++i) {
        lit[i] = segments_[i]->isChecked();
    }
    const std::uint8_t code = segmentCode(lit);
    hexCode_->setText(QString::fromStdString(codeHexText(code)));
    binaryCode_->setText(QString::fromStdString(codeBinaryText(code)));
}

}  // namespace tarvix
