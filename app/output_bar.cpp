#include "app/output_bar.h"

#include <QHBoxLayout>
#include <QLabel>

#include "ui/announce.h"
#include "ui/kit_fonts.h"

namespace tarvix {

OutputBar::OutputBar(QWidget* parent) : QWidget(parent), line_(new QLabel(this)) {
    line_->setFont(monospacedFont("Courier New"));
    line_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    line_->setTextFormat(Qt::PlainText);
    // Reachable with F6, so that a message can be read and copied from the keyboard.
    line_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    line_->setFocusPolicy(Qt::StrongFocus);
    line_->setAccessibleDescription(QStringLiteral("Output"));
    setFocusProxy(line_);
    // A long message must not widen the window; it is cut at the pane's edge.
    line_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    line_->setMinimumHeight(line_->fontMetrics().height() + 6);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 2, 3, 2);
    layout->addWidget(line_);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString OutputBar::text() const {
    return line_->text();
}

void OutputBar::setText(const QString& text) {
    const bool changed = text != line_->text();
    line_->setText(text);
    if (changed) {
        announce(line_, text);
    }
}

}  // namespace tarvix
