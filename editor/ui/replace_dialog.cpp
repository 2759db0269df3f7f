#include "editor/ui/replace_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/ui/x86_edit_view.h"

namespace tarvix {

namespace {

QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

ReplaceDialog::ReplaceDialog(CX86EditView* view)
    : QDialog(view),
      view_(view),
      findWhat_(new QLineEdit(this)),
      replaceWith_(new QLineEdit(this)),
      wholeWord_(new QCheckBox(tr("Match &whole word only"), this)),
      matchCase_(new QCheckBox(tr("Match &case"), this)),
      inSelection_(new QRadioButton(tr("&Selection"), this)),
      wholeFile_(new QRadioButton(tr("Wh&ole file"), this)),
      findNext_(new QPushButton(tr("&Find Next"), this)),
      replace_(new QPushButton(tr("&Replace"), this)),
      replaceAll_(new QPushButton(tr("Replace &All"), this)) {
    setWindowTitle(tr("Replace"));
    findWhat_->setObjectName(QStringLiteral("findWhat"));
    replaceWith_->setObjectName(QStringLiteral("replaceWith"));
    wholeWord_->setObjectName(QStringLiteral("wholeWord"));
    matchCase_->setObjectName(QStringLiteral("matchCase"));
    inSelection_->setObjectName(QStringLiteral("inSelection"));
    wholeFile_->setObjectName(QStringLiteral("wholeFile"));
    findNext_->setObjectName(QStringLiteral("findNext"));
    replace_->setObjectName(QStringLiteral("replace"));
    replaceAll_->setObjectName(QStringLiteral("replaceAll"));

    auto* replaceIn = new QGroupBox(tr("Replace in"), this);
    auto* replaceInLayout = new QVBoxLayout(replaceIn);
    replaceInLayout->addWidget(inSelection_);
    replaceInLayout->addWidget(wholeFile_);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    buttons->addButton(findNext_, QDialogButtonBox::ActionRole);
    buttons->addButton(replace_, QDialogButtonBox::ActionRole);
    buttons->addButton(replaceAll_, QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    findNext_->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(findNext_, &QPushButton::clicked, this, &ReplaceDialog::findNext);
    connect(replace_, &QPushButton::clicked, this, &ReplaceDialog::replaceOne);
    connect(replaceAll_, &QPushButton::clicked, this, &ReplaceDialog::replaceAll);

    auto* grid = new QGridLayout(this);
    grid->addWidget(buddyLabel(tr("Fi&nd what:"), findWhat_, this), 0, 0);
    grid->addWidget(findWhat_, 0, 1, 1, 2);
    grid->addWidget(buddyLabel(tr("Re&place with:"), replaceWith_, this), 1, 0);
    grid->addWidget(replaceWith_, 1, 1, 1, 2);
    grid->addWidget(wholeWord_, 2, 0, 1, 2);
    grid->addWidget(matchCase_, 3, 0, 1, 2);
    grid->addWidget(replaceIn, 2, 2, 2, 1);
    grid->addWidget(buttons, 0, 3, 4, 1);

    const ReplaceSettings saved = loadReplaceSettings();
    findWhat_->setText(saved.find.findWhat);
    replaceWith_->setText(saved.replaceWith);
    wholeWord_->setChecked(saved.find.wholeWord);
    matchCase_->setChecked(saved.find.matchCase);

    block_ = {view_->selectionStart(), view_->selectionEnd()};
    const bool multiLine = view_->hasSelection() && block_.start.line != block_.end.line;
    if (view_->hasSelection() && !multiLine) {
        findWhat_->setText(QString::fromStdString(view_->selectedText()));
    }
    inSelection_->setEnabled(view_->hasSelection());
    (multiLine ? inSelection_ : wholeFile_)->setChecked(true);
    position_ = view_->hasSelection() ? block_.start : view_->cursorPosition();
    findWhat_->selectAll();

    connect(findWhat_, &QLineEdit::textChanged, this, &ReplaceDialog::updateButtons);
    updateButtons();
}

void ReplaceDialog::updateButtons() {
    const bool hasText = !findWhat_->text().isEmpty();
    findNext_->setEnabled(hasText);
    replace_->setEnabled(hasText);
    replaceAll_->setEnabled(hasText);
}

ReplaceSettings ReplaceDialog::request() const {
    return {{matchCase_->isChecked(), wholeWord_->isChecked(), findWhat_->text()},
            replaceWith_->text()};
}

unsigned ReplaceDialog::searchFlags() const {
    return (matchCase_->isChecked() ? kSearchMatchCase : 0u) |
           (wholeWord_->isChecked() ? kSearchWholeWord : 0u);
}

std::optional<TextRange> ReplaceDialog::searchLimit() const {
    if (inSelection_->isChecked()) {
        return block_;
    }
    return std::nullopt;
}

bool ReplaceDialog::selectNextMatch() {
    match_ = findText(*view_->buffer(), findWhat_->text().toStdString(), searchFlags(), position_,
                      searchLimit());
    if (match_) {
        view_->setSelection(match_->start, match_->end);
        position_ = match_->end;
    }
    return match_.has_value();
}

void ReplaceDialog::replaceMatch() {
    const std::string replacement = view_->bufferBytes(replaceWith_->text());
    view_->setSelection(match_->start, match_->end);
    view_->replaceSelection(replacement);
    const int growth =
        static_cast<int>(replacement.size()) - (match_->end.column - match_->start.column);
    if (block_.end.line == match_->end.line && block_.end.column >= match_->end.column) {
        block_.end.column += growth;
    }
    position_ = view_->cursorPosition();
    match_.reset();
}

void ReplaceDialog::reportNotFound() {
    view_->showMessage(QString::fromStdString(notFoundMessage(findWhat_->text().toStdString())));
}

void ReplaceDialog::findNext() {
    saveReplaceSettings(request());
    if (view_->buffer() != nullptr && !selectNextMatch()) {
        reportNotFound();
    }
}

void ReplaceDialog::replaceOne() {
    saveReplaceSettings(request());
    if (view_->buffer() == nullptr) {
        return;
    }
    // Replace only what is still selected as the match; otherwise find one first.
    const bool matchSelected =
        match_ && view_->selectionStart() == match_->start && view_->selectionEnd() == match_->end;
    if (matchSelected) {
        replaceMatch();
    }
    if (!selectNextMatch()) {
        reportNotFound();
    }
}

void ReplaceDialog::replaceAll() {
    saveReplaceSettings(request());
    CX86TextBuffer* buffer = view_->buffer();
    if (buffer == nullptr || buffer->isReadOnly() || findWhat_->text().isEmpty()) {
        return;
    }
    const std::string what = findWhat_->text().toStdString();
    const bool inBlock = inSelection_->isChecked();
    // From the start of the block or the text, without wrapping, so that a replacement that
    // contains the text it replaces is never replaced again.
    position_ = inBlock ? block_.start : TextPosition{0, 0};
    for (;;) {
        const int last = buffer->lineCount() - 1;
        const TextRange limit =
            inBlock ? block_ : TextRange{{0, 0}, {last, buffer->lineLength(last)}};
        match_ = findText(*buffer, what, searchFlags(), position_, limit);
        if (!match_) {
            break;
        }
        replaceMatch();
    }
    if (inBlock) {
        view_->setSelection(block_.start, block_.end);
    }
    reportNotFound();
}

}  // namespace tarvix
