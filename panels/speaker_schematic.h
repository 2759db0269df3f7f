// The picture of the speaker circuit: counter 2 of the timer (clock 1.2 MHz, gate at +5 V)
// drives a loudspeaker through a 2N2907 transistor.
#pragma once

#include <QWidget>

namespace tarvix {

class SpeakerSchematic : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize kSize{140, 91};

    explicit SpeakerSchematic(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tarvix
