// The Find dialog: the text to find, match case, whole word and the direction.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarvix {

class FindDialog : public QDialog {
    Q_OBJECT

public:
    explicit FindDialog(QWidget* parent = nullptr);

    // `flags` as kSearchMatchCase | kSearchWholeWord | kSearchUp.
    void setRequest(const QString& findWhat, unsigned flags);
    QString findWhat() const;
    unsigned flags() const;

private:
    QLineEdit* findWhat_;
    QCheckBox* wholeWord_;
    QCheckBox* matchCase_;
    QRadioButton* up_;
    QRadioButton* down_;
    QPushButton* findNext_;
};

}  // namespace tarvix
