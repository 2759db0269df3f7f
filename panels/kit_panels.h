// The device panel windows of the kit, created hidden as tool windows of the main window and
// afterwards only shown and hidden. A device counts as connected while its panel is shown.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>

#include "devices/device_panels.h"

namespace tarvix {

class Led8255Panel;
class Led8279Panel;
class ScopePanel;
class SpeakerPanel;
class StepperPanel;

class KitPanels : public DevicePanels {
public:
    explicit KitPanels(QWidget* owner);
    ~KitPanels() override;

    KitPanels(const KitPanels&) = delete;
    KitPanels& operator=(const KitPanels&) = delete;

    // The blanking timers read port B's latch.
    void attachPpi(Ppi8255* ppi);
    QWidget* window(Panel panel) const;

    bool isVisible(Panel panel) const override;
    void setVisible(Panel panel, bool visible) override;
    void setLed8255Digit(int digit, std::uint8_t pattern) override;
    void armBlankTimer(int digit) override;
    void setLed8279Digit(int digit, std::uint8_t pattern) override;
    void setCoils(std::uint8_t coils) override;
    void setDacValue(std::uint8_t value) override;

    Led8255Panel& led8255() const;
    Led8279Panel& led8279() const;
    StepperPanel& stepper() const;
    ScopePanel& scope() const;
    SpeakerPanel& speaker() const;

private:
    // Guarded, because the owner deletes the windows with itself if it goes first.
    QPointer<ScopePanel> scope_;
    QPointer<StepperPanel> stepper_;
    QPointer<Led8255Panel> led8255_;
    QPointer<Led8279Panel> led8279_;
    QPointer<SpeakerPanel> speaker_;
};

}  // namespace tarvix
