// "7 segment codes": eight segment buttons laid out as a digit, the code of the lit ones in
// hexadecimal and binary, and the codes of the sixteen hexadecimal digits. Modeless; Cancel
// and closing only hide it.
#pragma once

#include <QDialog>
#include <array>

#include "tools/segment_codes.h"

class QLabel;
class QPushButton;

namespace tarvix {

class SegmentCodesDialog : public QDialog {
    Q_OBJECT

public:
    explicit SegmentCodesDialog(QWidget* parent = nullptr);

private:
    void updateCode();

    std::array<QPushButton*, kSegmentCount> segments_{};
    QLabel* hexCode_;
    QLabel* binaryCode_;
};

}  // namespace tarvix
