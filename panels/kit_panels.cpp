#include "panels/kit_panels.h"

#include "panels/led8255_panel.h"
#include "panels/led8279_panel.h"
#include "panels/scope_panel.h"
#include "panels/speaker_panel.h"
#include "panels/stepper_panel.h"

namespace tarvix {

KitPanels::KitPanels(QWidget* owner)
    : scope_(new ScopePanel(owner)),
      stepper_(new StepperPanel(owner)),
      led8255_(new Led8255Panel(owner)),
      led8279_(new Led8279Panel(owner)),
      speaker_(new SpeakerPanel(owner)) {}

KitPanels::~KitPanels() {
    delete scope_.data();
    delete stepper_.data();
    delete led8255_.data();
    delete led8279_.data();
    delete speaker_.data();
}

Led8255Panel& KitPanels::led8255() const {
    return *led8255_;
}

Led8279Panel& KitPanels::led8279() const {
    return *led8279_;
}

StepperPanel& KitPanels::stepper() const {
    return *stepper_;
}

ScopePanel& KitPanels::scope() const {
    return *scope_;
}

SpeakerPanel& KitPanels::speaker() const {
    return *speaker_;
}

void KitPanels::attachPpi(Ppi8255* ppi) {
    led8255_->attachPpi(ppi);
}

QWidget* KitPanels::window(Panel panel) const {
    switch (panel) {
        case Panel::Scope:
            return scope_;
        case Panel::Stepper:
            return stepper_;
        case Panel::Led8255:
            return led8255_;
        case Panel::Led8279:
            return led8279_;
        case Panel::Speaker:
            return speaker_;
    }
    return nullptr;
}

// Shown by the user or a program, not merely on screen: a panel stays connected while the
// main window is minimised.
bool KitPanels::isVisible(Panel panel) const {
    const QWidget* shown = window(panel);
    return shown != nullptr && !shown->isHidden();
}

void KitPanels::setVisible(Panel panel, bool visible) {
    if (QWidget* target = window(panel)) {
        target->setVisible(visible);
    }
}

void KitPanels::setLed8255Digit(int digit, std::uint8_t pattern) {
    led8255_->setDigit(digit, pattern);
}

void KitPanels::armBlankTimer(int digit) {
    led8255_->armBlankTimer(digit);
}

void KitPanels::setLed8279Digit(int digit, std::uint8_t pattern) {
    led8279_->setDigit(digit, pattern);
}

void KitPanels::setCoils(std::uint8_t coils) {
    stepper_->setCoils(coils);
}

void KitPanels::setDacValue(std::uint8_t value) {
    scope_->setDacValue(value);
}

}  // namespace tarvix
