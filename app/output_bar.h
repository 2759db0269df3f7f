// The "Output" pane: one sunken line of text in a monospaced font, which the output pane
// reporter writes and the user reads.
#pragma once

#include <QWidget>

class QLabel;

namespace tarvix {

class OutputBar : public QWidget {
    Q_OBJECT

public:
    explicit OutputBar(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

private:
    QLabel* line_;
};

}  // namespace tarvix
