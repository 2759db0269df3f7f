#include "panels/stack_panel.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

const QColor kListBackground(10, 10, 10);
const QColor kListText(250, 250, 250);
const QColor kReturnText(120, 220, 255);

}  // namespace

StackPanel::StackPanel(QWidget* parent) : QWidget(parent), list_(new QListWidget(this)) {
    setWindowTitle("Stack");
    list_->setFont(fixedsysFont());
    list_->setUniformItemSizes(true);
    QPalette colours = list_->palette();
    colours.setColor(QPalette::Base, kListBackground);
    colours.setColor(QPalette::Text, kListText);
    list_->setPalette(colours);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
}

// Only rows that changed are set again: a Run refreshes this many times a second.
void StackPanel::showWords(const std::vector<StackWord>& words) {
    const bool sameRows = words.size() == shown_.size();
    if (!sameRows) {
        list_->clear();
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
        const StackWord& word = words[i];
        if (sameRows && word.address == shown_[i].address && word.value == shown_[i].value &&
            word.returnsInto == shown_[i].returnsInto) {
            continue;
        }
        const QString text = QString::fromStdString(stackRowText(word, i == 0));
        auto* item = sameRows ? list_->item(static_cast<int>(i)) : new QListWidgetItem(list_);
        item->setText(text);
        if (!word.returnsInto.empty()) {
            item->setForeground(kReturnText);
        } else {
            item->setData(Qt::ForegroundRole, QVariant());
        }
    }
    shown_ = words;
}

QSize StackPanel::sizeHint() const {
    return {230, 160};
}

}  // namespace tarvix
