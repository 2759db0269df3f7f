#include "panels/memory_list.h"

#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

#include "panels/memory_row_model.h"
#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

const QColor kListBackground(10, 10, 10);
const QColor kListText(250, 250, 250);

}  // namespace

MemoryList::MemoryList(MemoryRowModel* model, QWidget* parent)
    : QWidget(parent), title_(new QLabel(kTitle, this)), view_(new QListView(this)) {
    title_->setFont(fixedsysFont());
    title_->setFrameShape(QFrame::StyledPanel);
    title_->setMargin(2);

    view_->setFont(fixedsysFont());
    view_->setUniformItemSizes(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette colours = view_->palette();
    colours.setColor(QPalette::Base, kListBackground);
    colours.setColor(QPalette::Window, kListBackground);
    colours.setColor(QPalette::Text, kListText);
    view_->setPalette(colours);
    view_->setModel(model);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title_);
    layout->addWidget(view_);
}

}  // namespace tarvix
