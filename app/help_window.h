// The Help window: the student's guide to the kit, bundled with the program.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace tarvix {

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent);

    QString guideText() const;

private:
    QTextBrowser* browser_;
};

}  // namespace tarvix
