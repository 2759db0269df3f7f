#include "panels/memory_list.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QShortcut>
#include <QVBoxLayout>

#include "panels/memory_row_model.h"
#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

const QColor kListBackground(10, 10, 10);
const QColor kListText(250, 250, 250);

// Escape on the address line gives the focus back to the rows instead of closing the pane.
class AddressLine : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            hide();
            if (auto* list = qobject_cast<MemoryList*>(parentWidget())) {
                list->view()->setFocus();
            }
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

}  // namespace

MemoryList::MemoryList(MemoryRowModel* model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      title_(new QLabel(kTitle, this)),
      address_(new AddressLine(this)),
      view_(new QListView(this)) {
    title_->setFont(fixedsysFont());
    title_->setFrameShape(QFrame::StyledPanel);
    title_->setMargin(2);

    address_->setPlaceholderText("Go to address (hex), Enter");
    address_->setMaxLength(5);
    address_->hide();
    connect(address_, &QLineEdit::returnPressed, this, &MemoryList::takeAddress);
    connect(address_, &QLineEdit::textEdited, this, [this] { address_->setStyleSheet({}); });

    view_->setFont(fixedsysFont());
    view_->setUniformItemSizes(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Only rows the model lets edit open: a double click or F2.
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    view_->setFocusPolicy(Qt::StrongFocus);
    QPalette colours = view_->palette();
    colours.setColor(QPalette::Base, kListBackground);
    colours.setColor(QPalette::Window, kListBackground);
    colours.setColor(QPalette::Text, kListText);
    view_->setPalette(colours);
    view_->setModel(model);

    auto* goTo = new QShortcut(QKeySequence("Ctrl+G"), this);
    goTo->setContext(Qt::WidgetWithChildrenShortcut);
    connect(goTo, &QShortcut::activated, this, &MemoryList::askForAddress);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title_);
    layout->addWidget(address_);
    layout->addWidget(view_);
}

void MemoryList::askForAddress() {
    address_->show();
    address_->setFocus();
    address_->selectAll();
}

bool MemoryList::goToAddress(std::uint16_t address) {
    if (address < kMemoryFirst || address >= kMemoryFirst + kMemorySize) {
        return false;
    }
    const QModelIndex row = model_->index(model_->rowOf(address));
    view_->setCurrentIndex(row);
    view_->scrollTo(row, QAbstractItemView::PositionAtTop);
    return true;
}

void MemoryList::updateTitle() {
    title_->setText(model_->wideRows() ? kWideTitle : kTitle);
}

std::optional<std::uint16_t> MemoryList::parseAddress(const QString& text) {
    QString digits = text.trimmed();
    if (digits.endsWith('h', Qt::CaseInsensitive)) {
        digits.chop(1);
    }
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok || digits.isEmpty() || value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// A bad address stays in the line, marked, with what the RAM holds as its tooltip.
void MemoryList::takeAddress() {
    const auto address = parseAddress(address_->text());
    if (!address || !goToAddress(*address)) {
        address_->setStyleSheet("color: red");
        address_->setToolTip("The RAM is 1000H to 1FFFH");
        return;
    }
    address_->hide();
    view_->setFocus();
}

}  // namespace tarvix
