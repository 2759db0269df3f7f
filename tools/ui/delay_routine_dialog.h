// "Delay Procedure": the delay and clock fields, a live preview of the Delay subroutine, and
// Insert, which accepts the dialog with the routine ready for the editor.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace tarvix {

class DelayRoutineDialog : public QDialog {
    Q_OBJECT

public:
    explicit DelayRoutineDialog(QWidget* parent = nullptr);

    // The routine as bytes for the source buffer; valid after accept().
    std::string routineText() const { return routineText_; }

    // Shows the range message; a message box unless a test replaces it.
    using MessageHandler = std::function<void(const QString&)>;
    void setMessageHandler(MessageHandler handler) { showMessage_ = std::move(handler); }

public slots:
    void accept() override;

private:
    void updatePreview();

    QLineEdit* delay_;
    QLineEdit* clock_;
    QPlainTextEdit* preview_;
    std::string routineText_;
    MessageHandler showMessage_;
};

}  // namespace tarvix
