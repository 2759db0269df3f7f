// The register pane as assistive technology sees it: one item for each register ("AX",
// "0F3A") and each flag ("Carry flag", "set"), whose value a screen reader reads and whose
// changes at a stop it hears.
#pragma once

#include <QAccessibleWidget>
#include <array>
#include <string>
#include <vector>

namespace tarvix {

class RegisterPane;

class RegisterPaneAccessible : public QAccessibleWidget {
public:
    explicit RegisterPaneAccessible(RegisterPane* pane);
    ~RegisterPaneAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    RegisterPane* pane() const;

    mutable std::vector<QAccessible::Id> children_;
};

// Tells a screen reader of each register and flag whose text differs between `before` and
// what the pane shows now, and of the item the keyboard's frame is on.
void announceRegisterChanges(RegisterPane* pane, const std::array<std::string, 4>& before);
void announceFramedRegister(RegisterPane* pane);

// Makes Qt use RegisterPaneAccessible for the register pane; once per process.
void installRegisterPaneAccessibility();

}  // namespace tarvix
