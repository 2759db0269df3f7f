#include "panels/register_pane.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "panels/register_pane_accessible.h"
#include "simulator/register_text.h"
#include "ui/colour_scheme.h"
#include "ui/key_ownership.h"
#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

struct PaneColours {
    QColor pane;
    QColor changedText;
    QColor changedBack;
};

// The kit's grey-green, or white on black with changes in black on yellow.
PaneColours paneColours() {
    if (highContrast()) {
        return {Qt::black, Qt::black, QColor(255, 255, 0)};
    }
    return {QColor(88, 128, 120), QColor(255, 232, 60), QColor(52, 78, 72)};
}

struct TextPlace {
    int x;
    int y;
};

// Line 4 holds one flag a character; the others name a register before each value.
constexpr std::size_t kFlagsLine = 3;

// The end of the piece of a line that changes as one: a flag, or a word.
std::size_t pieceEnd(const std::string& text, std::size_t line, std::size_t column) {
    if (line == kFlagsLine) {
        return column + 1;
    }
    return std::min(text.find(' ', column), text.size());
}

// Top-left corners of line1..line4 and of the legend under line4.
constexpr std::array<TextPlace, 4> kLinePlaces{{{3, 2}, {3, 17}, {3, 32}, {43, 47}}};
constexpr TextPlace kLegendPlace{43, 60};

// The register whose value starts at `column` of a line, unless IP: that one stays the
// driver's, as the current line shows it.
std::optional<QString> registerAt(const std::string& text, std::size_t column) {
    if (column < 4 || column >= text.size() || text[column - 2] != '=') {
        return std::nullopt;
    }
    const QString name = QString::fromStdString(text.substr(column - 4, 2)).toUpper();
    return name == "IP" ? std::nullopt : std::optional<QString>(name);
}

// Escape closes the editor and drops what was typed; the keys go back to the pane. Enter
// ends here too: passed on, it would open the editor again.
class RegisterEditor : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            hide();
            parentWidget()->setFocus();
            return;
        }
        QLineEdit::keyPressEvent(event);
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->accept();
        }
    }
};

}  // namespace

RegisterPane::RegisterPane(QWidget* parent) : QWidget(parent), editor_(new RegisterEditor(this)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setProperty(kTakesEnterWhileStepping, true);
    setFont(fixedsysFont());
    editor_->setFont(font());
    editor_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]{1,4}"), editor_));
    editor_->hide();
    connect(editor_, &QLineEdit::returnPressed, this, &RegisterPane::commitEdit);
}

void RegisterPane::setEditable(bool editable) {
    editable_ = editable;
    setFocusPolicy(editable ? Qt::StrongFocus : Qt::NoFocus);
    if (!editable) {
        editor_->hide();
    }
    update();
}

bool RegisterPane::editRegister(const QString& name) {
    const std::string label = name.toStdString() + "=";
    for (std::size_t line = 0; line < kFlagsLine; ++line) {
        const std::string& text = lines_[line];
        for (std::size_t at = text.find('='); at != std::string::npos;
             at = text.find('=', at + 1)) {
            const std::size_t start = at >= 2 ? at - 2 : 0;
            if (QString::fromStdString(text.substr(start, 3))
                    .compare(QString::fromStdString(label), Qt::CaseInsensitive) == 0) {
                openEditor(line, at + 2);
                return editor_->isVisible();
            }
        }
    }
    return false;
}

std::optional<RegisterPane::Place> RegisterPane::placeAt(QPoint point) const {
    const QFontMetrics metrics(font());
    for (std::size_t line = 0; line < lines_.size(); ++line) {
        const TextPlace place = kLinePlaces[line];
        if (point.y() < place.y || point.y() >= place.y + metrics.height() || point.x() < place.x) {
            continue;
        }
        const auto column =
            static_cast<std::size_t>((point.x() - place.x) / metrics.horizontalAdvance('0'));
        if (column < lines_[line].size()) {
            return Place{line, column};
        }
    }
    return std::nullopt;
}

// The flag under a click changes at once; the keyboard's frame goes to what was clicked.
void RegisterPane::mousePressEvent(QMouseEvent* event) {
    const auto place = placeAt(event->position().toPoint());
    if (editable_ && place) {
        const std::vector<Place> all = pieces();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].line == place->line && all[i].column <= place->column &&
                place->column < pieceEnd(lines_[place->line], place->line, all[i].column)) {
                select(all, i);
            }
        }
    }
    if (!editable_ || !place || place->line != kFlagsLine) {
        QWidget::mousePressEvent(event);
        return;
    }
    emit flagToggled(static_cast<int>(15 - place->column));
}

void RegisterPane::mouseDoubleClickEvent(QMouseEvent* event) {
    const auto place = placeAt(event->position().toPoint());
    if (!editable_ || !place || place->line == kFlagsLine) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    const std::string& text = lines_[place->line];
    // The word under the click: a register's name ("Ax=") or its value.
    std::size_t start = text.rfind(' ', place->column);
    start = start == std::string::npos ? 0 : start + 1;
    const std::size_t end = pieceEnd(text, place->line, start);
    openEditor(place->line, text[end - 1] == '=' ? end + 1 : start);
}

void RegisterPane::openEditor(std::size_t line, std::size_t column) {
    const std::string& text = lines_[line];
    const std::optional<QString> name = registerAt(text, column);
    if (!editable_ || !name) {
        return;
    }
    editedName_ = *name;
    const QFontMetrics metrics(font());
    const TextPlace place = kLinePlaces[line];
    const int left = place.x + metrics.horizontalAdvance('0') * static_cast<int>(column);
    editor_->setGeometry(left - 2, place.y - 2, metrics.horizontalAdvance("00000") + 4,
                         metrics.height() + 4);
    editor_->setText(QString::fromStdString(text.substr(column, 4)));
    editor_->show();
    editor_->setFocus();
    editor_->selectAll();
}

void RegisterPane::commitEdit() {
    bool ok = false;
    const uint value = editor_->text().toUInt(&ok, 16);
    editor_->hide();
    if (ok && editable_) {
        setFocus();
        emit registerEdited(editedName_, static_cast<std::uint16_t>(value));
    }
}

std::vector<RegisterPane::Place> RegisterPane::pieces() const {
    std::vector<Place> all;
    for (std::size_t line = 0; line < kFlagsLine; ++line) {
        const std::string& text = lines_[line];
        for (std::size_t at = text.find('='); at != std::string::npos;
             at = text.find('=', at + 1)) {
            if (registerAt(text, at + 2)) {
                all.push_back({line, at + 2});
            }
        }
    }
    const std::string_view legend = kFlagsLegend;
    for (std::size_t column = 0; column < legend.size(); ++column) {
        if (legend[column] != '-') {
            all.push_back({kFlagsLine, column});
        }
    }
    return all;
}

QString RegisterPane::selectedName() const {
    const std::vector<Place> all = pieces();
    if (selected_ >= all.size()) {
        return {};
    }
    const Place place = all[selected_];
    if (place.line == kFlagsLine) {
        return QString(QChar(kFlagsLegend[place.column]));
    }
    return registerAt(lines_[place.line], place.column).value_or(QString());
}

void RegisterPane::select(const std::vector<Place>& all, std::size_t index) {
    selected_ = std::min(index, all.empty() ? 0 : all.size() - 1);
    update();
    announceFramedRegister(this);
}

// Left and Right go through the pieces in reading order; Up and Down to the piece of the line
// above or below that stands nearest.
void RegisterPane::moveSelection(int key) {
    const std::vector<Place> all = pieces();
    if (selected_ >= all.size()) {
        return;
    }
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        select(all, key == Qt::Key_Left ? (selected_ == 0 ? 0 : selected_ - 1) : selected_ + 1);
        return;
    }
    const Place from = all[selected_];
    const std::size_t line = key == Qt::Key_Up ? from.line - 1 : from.line + 1;
    const int x = pieceRect(from).center().x();
    std::optional<std::size_t> nearest;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const auto distance = [&](std::size_t at) {
            return std::abs(pieceRect(all[at]).center().x() - x);
        };
        if (all[i].line == line && (!nearest || distance(i) < distance(*nearest))) {
            nearest = i;
        }
    }
    if (nearest) {
        select(all, *nearest);
    }
}

void RegisterPane::actOnSelection(bool toggleOnly) {
    const std::vector<Place> all = pieces();
    if (selected_ >= all.size()) {
        return;
    }
    const Place place = all[selected_];
    if (place.line == kFlagsLine) {
        emit flagToggled(static_cast<int>(15 - place.column));
    } else if (!toggleOnly) {
        openEditor(place.line, place.column);
    }
}

void RegisterPane::keyPressEvent(QKeyEvent* event) {
    if (!editable_) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            moveSelection(event->key());
            return;
        case Qt::Key_F2:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            actOnSelection(false);
            return;
        case Qt::Key_Space:
            actOnSelection(true);
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

// The frame shows only while the keys come here.
void RegisterPane::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void RegisterPane::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void RegisterPane::setLines(const std::array<std::string, 4>& lines) {
    lines_ = lines;
    update();
}

void RegisterPane::markStop() {
    announceRegisterChanges(this, atStop_);
    atStop_ = lines_;
    update();
}

bool RegisterPane::changedAt(std::size_t line, std::size_t column) const {
    const std::string& now = lines_[line];
    const std::string& before = atStop_[line];
    if (before.empty() || column >= now.size()) {
        return false;
    }
    const std::size_t end = pieceEnd(now, line, column);
    return before.size() < end ||
           before.compare(column, end - column, now, column, end - column) != 0;
}

void RegisterPane::paintEvent(QPaintEvent*) {
    QPixmap image(size() * devicePixelRatio());
    image.setDevicePixelRatio(devicePixelRatio());
    image.fill(paneColours().pane);
    {
        QPainter painter(&image);
        painter.setFont(font());
        painter.setPen(Qt::white);
        const auto drawAt = [&](TextPlace place, const std::string& text) {
            painter.drawText(QRect(place.x, place.y, width(), height()),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             QString::fromStdString(text));
        };
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            drawAt(kLinePlaces[i], lines_[i]);
            drawChanges(painter, i);
        }
        drawAt(kLegendPlace, kFlagsLegend);
        drawSelection(painter);
    }
    QPainter(this).drawPixmap(0, 0, image);
}

QRect RegisterPane::pieceRectAt(std::size_t line, std::size_t column) const {
    return line < lines_.size() && column < lines_[line].size() ? pieceRect({line, column})
                                                                : QRect();
}

QRect RegisterPane::pieceRect(Place place) const {
    const std::string& text = lines_[place.line];
    const QFontMetrics metrics(font());
    const TextPlace at = kLinePlaces[place.line];
    const std::size_t end = pieceEnd(text, place.line, place.column);
    const int left =
        at.x + metrics.horizontalAdvance(QString::fromStdString(text.substr(0, place.column)));
    const QString word = QString::fromStdString(text.substr(place.column, end - place.column));
    return {left, at.y, metrics.horizontalAdvance(word), metrics.height()};
}

// Each changed word again over the line, in the highlight colour on a darker ground.
void RegisterPane::drawChanges(QPainter& painter, std::size_t line) const {
    const QPen plain = painter.pen();
    const std::string& text = lines_[line];
    std::size_t column = 0;
    while (column < text.size()) {
        const std::size_t end = pieceEnd(text, line, column);
        if (end > column && changedAt(line, column)) {
            const QRect box = pieceRect({line, column});
            painter.fillRect(box, paneColours().changedBack);
            painter.setPen(paneColours().changedText);
            painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             QString::fromStdString(text.substr(column, end - column)));
        }
        column = line == kFlagsLine ? end : end + 1;
    }
    painter.setPen(plain);
}

void RegisterPane::drawSelection(QPainter& painter) const {
    const std::vector<Place> all = pieces();
    if (!editable_ || !hasFocus() || selected_ >= all.size()) {
        return;
    }
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(pieceRect(all[selected_]).adjusted(-2, -1, 1, 0));
}

}  // namespace tarvix
