#include "tools/ui/delay_routine_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "tools/delay_routine.h"
#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

QLineEdit* digitField(int maxDigits, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setMaxLength(maxDigits);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    return field;
}

std::uint64_t fieldValue(const QLineEdit* field) {
    return readDigitField(field->text().toStdString());
}

}  // namespace

DelayRoutineDialog::DelayRoutineDialog(QWidget* parent)
    : QDialog(parent),
      delay_(digitField(kDelayFieldDigits, this)),
      clock_(digitField(kClockFieldDigits, this)),
      preview_(new QPlainTextEdit(this)),
      showMessage_(
          [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); }) {
    setWindowTitle(QStringLiteral("Delay Procedure"));
    delay_->setObjectName(QStringLiteral("delay"));
    clock_->setObjectName(QStringLiteral("clock"));
    preview_->setObjectName(QStringLiteral("routine"));
    preview_->setAccessibleName(QStringLiteral("Delay routine"));
    clock_->setAlignment(Qt::AlignCenter);
    clock_->setText(QString::fromLatin1(kDefaultClockText));
    clock_->setMaximumWidth(clock_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    preview_->setReadOnly(true);
    preview_->setFont(monospacedFont("Courier New"));
    preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
    preview_->setTabStopDistance(8 * preview_->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    preview_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    preview_->setMinimumSize(360, 220);

    // Each field is named by its label, for screen readers.
    auto* delayLabel = new QLabel(QStringLiteral("Enter delay in millisec:"), this);
    delayLabel->setBuddy(delay_);
    auto* clockLabel = new QLabel(QStringLiteral("8086  clock frequency (change if needed)"), this);
    clockLabel->setBuddy(clock_);
    auto* fields = new QGridLayout;
    fields->addWidget(delayLabel, 0, 0);
    fields->addWidget(delay_, 0, 1, 1, 2);
    fields->addWidget(clockLabel, 1, 0);
    fields->addWidget(clock_, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Mhz"), this), 1, 2);

    auto* note = new QLabel(
        QStringLiteral(
            "Note: This delay procedure works correctly only in hardware (real 8086).\n"),
        this);
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* insert =
        buttons->addButton(QStringLiteral("Insert"), QDialogButtonBox::AcceptRole);
    insert->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &DelayRoutineDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DelayRoutineDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(preview_, 1);
    layout->addWidget(note);
    layout->addWidget(buttons);

    connect(delay_, &QLineEdit::textChanged, this, &DelayRoutineDialog::updatePreview);
    connect(clock_, &QLineEdit::textChanged, this, &DelayRoutineDialog::updatePreview);
    delay_->setFocus();
}

void DelayRoutineDialog::updatePreview() {
    const auto routine = makeDelayRoutine(fieldValue(delay_), fieldValue(clock_));
    // The routine's CR LF line ends are the source file's; the preview needs only the LF.
    preview_->setPlainText(routine ? QString::fromLatin1(routine->text).remove(QLatin1Char('\r'))
                                   : QString());
}

void DelayRoutineDialog::accept() {
    if (!isValidDelay(fieldValue(delay_))) {
        showMessage_(QString::fromStdString(delayRangeMessage()));
        return;
    }
    const auto routine = makeDelayRoutine(fieldValue(delay_), fieldValue(clock_));
    if (!routine) {
        preview_->clear();
        return;
    }
    routineText_ = routine->text;
    QDialog::accept();
}

}  // namespace tarvix
