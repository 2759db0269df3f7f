#include "panels/register_pane_accessible.h"

#include <QAccessible>
#include <QPointer>
#include <string_view>

#include "panels/register_pane.h"

namespace tarvix {

namespace {

// Where each register's value and each flag's digit stand in the pane's lines.
struct ItemPlace {
    std::size_t line;
    std::size_t column;
    const char* name;
    char flag;  // the letter of the legend, or 0 for a register
};

constexpr std::size_t kFlagsLine = 3;
constexpr std::size_t kValueDigits = 4;

constexpr std::array<ItemPlace, 17> kItems{{
    {0, 4, "AX", 0},
    {0, 13, "BX", 0},
    {0, 22, "CX", 0},
    {1, 4, "DX", 0},
    {1, 13, "SI", 0},
    {1, 22, "DI", 0},
    {2, 4, "IP", 0},
    {2, 13, "SP", 0},
    {2, 22, "BP", 0},
    {kFlagsLine, 4, "Overflow flag", 'O'},
    {kFlagsLine, 5, "Direction flag", 'D'},
    {kFlagsLine, 6, "Interrupt flag", 'I'},
    {kFlagsLine, 8, "Sign flag", 'S'},
    {kFlagsLine, 9, "Zero flag", 'Z'},
    {kFlagsLine, 11, "Auxiliary carry flag", 'A'},
    {kFlagsLine, 13, "Parity flag", 'P'},
    {kFlagsLine, 15, "Carry flag", 'C'},
}};

QString valueOf(const std::array<std::string, 4>& lines, const ItemPlace& item) {
    const std::string& text = lines[item.line];
    if (item.flag != 0) {
        return item.column < text.size() ? (text[item.column] == '1' ? "set" : "clear") : QString();
    }
    return item.column < text.size()
               ? QString::fromStdString(text.substr(item.column, kValueDigits)).toUpper()
               : QString();
}

class RegisterItemAccessible : public QAccessibleInterface {
public:
    RegisterItemAccessible(RegisterPane* pane, std::size_t index) : pane_(pane), index_(index) {}

    bool isValid() const override { return !pane_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return isValid() ? parent()->window() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(pane_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    // A reader may still ask after the pane is gone; an invalid item answers nothing.
    QString text(QAccessible::Text type) const override {
        if (!isValid()) {
            return {};
        }
        const ItemPlace& item = kItems[index_];
        switch (type) {
            case QAccessible::Name:
                return QString::fromLatin1(item.name);
            case QAccessible::Value:
                return valueOf(pane_->lines(), item);
            case QAccessible::Description: {
                // Read by screen readers that skip the value; a change at the last stop shows
                // in colour, so it is said too.
                const QString value = valueOf(pane_->lines(), item);
                return pane_->changedAt(item.line, item.column) ? value + ", changed" : value;
            }
            default:
                return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const ItemPlace& item = kItems[index_];
        const QRect local = pane_->pieceRectAt(item.line, item.column);
        return {pane_->mapToGlobal(local.topLeft()), local.size()};
    }
    QAccessible::Role role() const override {
        return kItems[index_].flag != 0 ? QAccessible::CheckBox : QAccessible::StaticText;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const ItemPlace& item = kItems[index_];
        state.readOnly = !pane_->isEditable() || std::string_view(item.name) == "IP";
        if (item.flag != 0) {
            state.checkable = true;
            state.checked = valueOf(pane_->lines(), item) == "set";
        }
        state.focusable = !state.readOnly;
        state.focused = state.focusable && pane_->hasFocus() && isFramed();
        return state;
    }

    bool isFramed() const {
        const ItemPlace& item = kItems[index_];
        const QString framed = pane_->selectedName();
        return item.flag != 0 ? framed == QChar(item.flag) : framed == item.name;
    }

private:
    QPointer<RegisterPane> pane_;
    std::size_t index_;
};

QAccessibleInterface* registerPaneFactory(const QString&, QObject* object) {
    auto* pane = qobject_cast<RegisterPane*>(object);
    return pane == nullptr ? nullptr : new RegisterPaneAccessible(pane);
}

RegisterPaneAccessible* accessibleOf(RegisterPane* pane) {
    if (!QAccessible::isActive()) {
        return nullptr;
    }
    return dynamic_cast<RegisterPaneAccessible*>(QAccessible::queryAccessibleInterface(pane));
}

}  // namespace

RegisterPaneAccessible::RegisterPaneAccessible(RegisterPane* pane)
    : QAccessibleWidget(pane, QAccessible::Grouping, QStringLiteral("Registers")) {}

RegisterPaneAccessible::~RegisterPaneAccessible() {
    for (const QAccessible::Id id : children_) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

RegisterPane* RegisterPaneAccessible::pane() const {
    return static_cast<RegisterPane*>(widget());
}

int RegisterPaneAccessible::childCount() const {
    return static_cast<int>(kItems.size());
}

QAccessibleInterface* RegisterPaneAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) {
        return nullptr;
    }
    // Created once and kept, so that each item keeps its identity across events.
    while (children_.size() <= static_cast<std::size_t>(index)) {
        children_.push_back(QAccessible::registerAccessibleInterface(
            new RegisterItemAccessible(pane(), children_.size())));
    }
    return QAccessible::accessibleInterface(children_[static_cast<std::size_t>(index)]);
}

int RegisterPaneAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int i = 0; i < static_cast<int>(children_.size()); ++i) {
        if (QAccessible::accessibleInterface(children_[static_cast<std::size_t>(i)]) == child) {
            return i;
        }
    }
    return -1;
}

QAccessibleInterface* RegisterPaneAccessible::focusChild() const {
    if (!pane()->hasFocus()) {
        return nullptr;
    }
    for (int i = 0; i < childCount(); ++i) {
        if (static_cast<RegisterItemAccessible*>(child(i))->isFramed()) {
            return child(i);
        }
    }
    return nullptr;
}

QAccessibleInterface* RegisterPaneAccessible::childAt(int x, int y) const {
    for (int i = 0; i < childCount(); ++i) {
        if (child(i)->rect().contains(x, y)) {
            return child(i);
        }
    }
    return nullptr;
}

void announceRegisterChanges(RegisterPane* pane, const std::array<std::string, 4>& before) {
    RegisterPaneAccessible* accessible = accessibleOf(pane);
    if (accessible == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < kItems.size(); ++i) {
        const QString value = valueOf(pane->lines(), kItems[i]);
        const QString old = valueOf(before, kItems[i]);
        if (old.isEmpty() || value == old) {
            continue;
        }
        QAccessibleInterface* item = accessible->child(static_cast<int>(i));
        QAccessibleValueChangeEvent changed(item, value);
        QAccessible::updateAccessibility(&changed);
        QAccessibleEvent described(item, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&described);
        if (kItems[i].flag != 0) {
            QAccessible::State checked;
            checked.checked = true;
            QAccessibleStateChangeEvent flipped(item, checked);
            QAccessible::updateAccessibility(&flipped);
        }
    }
}

void announceFramedRegister(RegisterPane* pane) {
    RegisterPaneAccessible* accessible = accessibleOf(pane);
    if (accessible == nullptr || !pane->hasFocus()) {
        return;
    }
    if (QAccessibleInterface* framed = accessible->focusChild()) {
        QAccessibleEvent focus(framed, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void installRegisterPaneAccessibility() {
    QAccessible::installFactory(registerPaneFactory);
}

}  // namespace tarvix
