#include "tools/ui/number_converter_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

const char* fieldName(NumberField field) {
    switch (field) {
        case NumberField::Hexadecimal:
            return "Hex";
        case NumberField::Decimal:
            return "Dec";
        case NumberField::Binary:
            return "Bin";
    }
    return "";
}

// The hexadecimal field shows its digits in upper case, also as they are typed.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

std::size_t fieldIndex(NumberField field) {
    for (std::size_t i = 0; i < kNumberFields.size(); ++i) {
        if (kNumberFields[i] == field) {
            return i;
        }
    }
    return 0;
}

}  // namespace

NumberConverterDialog::NumberConverterDialog(QWidget* parent)
    : QDialog(parent),
      bits8_(new QRadioButton(QStringLiteral("8 BIT"), this)),
      bits16_(new QRadioButton(QStringLiteral("16 BIT"), this)) {
    setWindowTitle(QStringLiteral("Hex-Dec-Bin"));
    setFont(monospacedFont("Courier New"));

    auto* form = new QFormLayout;
    for (const NumberField which : kNumberFields) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(fieldName(which)));
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(17, QLatin1Char('0'))));
        connect(edit, &QLineEdit::textEdited, this,
                [this, which](const QString& text) { edited(which, text); });
        form->addRow(QString::fromLatin1(fieldName(which)), edit);
        fields_[fieldIndex(which)] = edit;
    }
    // The binary field takes digits only; the others stop reading at a foreign character.
    field(NumberField::Hexadecimal)
        ->setValidator(new UpperCaseValidator(field(NumberField::Hexadecimal)));
    field(NumberField::Binary)
        ->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")),
                                                       field(NumberField::Binary)));

    bits8_->setChecked(true);
    connect(bits8_, &QRadioButton::clicked, this, [this] { setMode(WordMode::Bits8); });
    connect(bits16_, &QRadioButton::clicked, this, [this] { setMode(WordMode::Bits16); });
    auto* neg = new QPushButton(QStringLiteral("Neg"), this);
    auto* bitNot = new QPushButton(QStringLiteral("Not"), this);
    neg->setAutoDefault(false);
    bitNot->setAutoDefault(false);
    connect(neg, &QPushButton::clicked, this, [this] {
        converter_.negate();
        rewriteAll();
    });
    connect(bitNot, &QPushButton::clicked, this, [this] {
        converter_.complement();
        rewriteAll();
    });

    auto* controls = new QHBoxLayout;
    controls->addWidget(bits8_);
    controls->addWidget(bits16_);
    controls->addStretch();
    controls->addWidget(neg);
    controls->addWidget(bitNot);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(controls);
    // A student opens it to type a number: the hexadecimal field takes the keys at once.
    field(NumberField::Hexadecimal)->setFocus();
    setMode(WordMode::Bits8);
}

QLineEdit* NumberConverterDialog::field(NumberField which) const {
    return fields_[fieldIndex(which)];
}

// The fields keep their text; only a text the new limit would cut is shown afresh, in the new
// mode, rather than left truncated to a different number.
void NumberConverterDialog::setMode(WordMode mode) {
    converter_.setMode(mode);
    for (const NumberField which : kNumberFields) {
        QLineEdit* edit = field(which);
        const int length = fieldLength(which, mode);
        const bool tooLong = edit->text().size() > length;
        const QSignalBlocker quiet(edit);
        edit->setMaxLength(length);
        if (tooLong) {
            rewrite(which);
        }
    }
}

// Typing happens in the focused field, so the field typed into is the source.
void NumberConverterDialog::edited(NumberField which, const QString& text) {
    converter_.focus(which);
    if (!converter_.edit(which, text.toStdString())) {
        return;
    }
    for (const NumberField other : kNumberFields) {
        if (other != which) {
            rewrite(other);
        }
    }
}

void NumberConverterDialog::rewriteAll() {
    for (const NumberField which : kNumberFields) {
        rewrite(which);
    }
}

void NumberConverterDialog::rewrite(NumberField which) {
    field(which)->setText(QString::fromStdString(converter_.text(which)));
}

}  // namespace tarvix
