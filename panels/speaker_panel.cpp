#include "panels/speaker_panel.h"

#include <QAudioDevice>
#include <QFont>
#include <QLabel>
#include <QMediaDevices>

#include "panels/speaker_schematic.h"

namespace tarvix {

SpeakerPanel::SpeakerPanel(QWidget* owner)
    : DevicePanelWindow(owner, {"Audio Speaker - 8254", {93, 55}, {230, 150}}) {
    auto* schematic = new SpeakerSchematic(this);
    schematic->move((width() - schematic->width()) / 2, (height() - schematic->height()) / 2);

    // Without an audio device the tone plays nowhere; the panel says so instead.
    auto* noAudio = new QLabel(QStringLiteral("no audio device"), this);
    noAudio->setObjectName(QStringLiteral("noAudioDevice"));
    // Small, in the picture's empty top-left corner.
    QFont font = noAudio->font();
    font.setPointSizeF(font.pointSizeF() * 0.8);
    noAudio->setFont(font);
    noAudio->adjustSize();
    noAudio->move(3, 2);
    const auto showWhetherThereIsOne = [noAudio] {
        noAudio->setVisible(QMediaDevices::audioOutputs().isEmpty());
    };
    connect(new QMediaDevices(this), &QMediaDevices::audioOutputsChanged, noAudio,
            showWhetherThereIsOne);
    showWhetherThereIsOne();
    describeTone(0);
}

void SpeakerPanel::describeTone(int frequency) {
    describePanel(this, frequency == 0 ? QStringLiteral("Silent")
                                       : QStringLiteral("Tone of %1 Hz").arg(frequency));
}

}  // namespace tarvix
