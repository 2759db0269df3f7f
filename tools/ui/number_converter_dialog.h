// "Hex-Dec-Bin": one number in hexadecimal, decimal and binary, 8 or 16 bits wide, with its
// two's and one's complement. What the user types into a field sets the number and rewrites
// the other two. Modeless; closing only hides it.
#pragma once

#include <QDialog>
#include <array>

#include "tools/number_conversion.h"

class QLineEdit;
class QRadioButton;

namespace tarvix {

class NumberConverterDialog : public QDialog {
    Q_OBJECT

public:
    explicit NumberConverterDialog(QWidget* parent = nullptr);

private:
    QLineEdit* field(NumberField which) const;
    void setMode(WordMode mode);
    void edited(NumberField which, const QString& text);
    void rewriteAll();
    void rewrite(NumberField which);

    NumberConverter converter_;
    std::array<QLineEdit*, kNumberFields.size()> fields_{};  // in kNumberFields' order
    QRadioButton* bits8_;
    QRadioButton* bits16_;
};

}  // namespace tarvix
