#include "editor/ui/find_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/text_search.h"

namespace tarvix {

FindDialog::FindDialog(QWidget* parent)
    : QDialog(parent),
      findWhat_(new QLineEdit(this)),
      wholeWord_(new QCheckBox(tr("Match &whole word only"), this)),
      matchCase_(new QCheckBox(tr("Match &case"), this)),
      up_(new QRadioButton(tr("&Up"), this)),
      down_(new QRadioButton(tr("&Down"), this)),
      findNext_(new QPushButton(tr("&Find Next"), this)) {
    setWindowTitle(tr("Find"));
    findWhat_->setObjectName(QStringLiteral("findWhat"));
    wholeWord_->setObjectName(QStringLiteral("wholeWord"));
    matchCase_->setObjectName(QStringLiteral("matchCase"));
    up_->setObjectName(QStringLiteral("up"));
    findNext_->setObjectName(QStringLiteral("findNext"));

    auto* label = new QLabel(tr("Fi&nd what:"), this);
    label->setBuddy(findWhat_);
    auto* direction = new QGroupBox(tr("Direction"), this);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);
    down_->setChecked(true);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    buttons->addButton(findNext_, QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    findNext_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(findWhat_, 0, 1, 1, 2);
    grid->addWidget(wholeWord_, 1, 0, 1, 2);
    grid->addWidget(matchCase_, 2, 0, 1, 2);
    grid->addWidget(direction, 1, 2, 2, 1);
    grid->addWidget(buttons, 0, 3, 3, 1);

    const auto enableButton = [this] { findNext_->setEnabled(!findWhat_->text().isEmpty()); };
    connect(findWhat_, &QLineEdit::textChanged, this, enableButton);
    enableButton();
}

void FindDialog::setRequest(const QString& findWhat, unsigned flags) {
    findWhat_->setText(findWhat);
    findWhat_->selectAll();
    matchCase_->setChecked((flags & kSearchMatchCase) != 0);
    wholeWord_->setChecked((flags & kSearchWholeWord) != 0);
    ((flags & kSearchUp) != 0 ? up_ : down_)->setChecked(true);
}

QString FindDialog::findWhat() const {
    return findWhat_->text();
}

unsigned FindDialog::flags() const {
    return (matchCase_->isChecked() ? kSearchMatchCase : 0u) |
           (wholeWord_->isChecked() ? kSearchWholeWord : 0u) | (up_->isChecked() ? kSearchUp : 0u);
}

}  // namespace tarvix
