// The Replace dialog. It works on the view while it is open: Find Next selects the next
// match, Replace replaces the selected match and finds the next, Replace All replaces every
// match in the selection block or the whole file. In a block, replacements on its last line
// keep the block's end in step.
#pragma once

#include <QDialog>
#include <optional>

#include "editor/text_search.h"
#include "editor/ui/edit_settings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarvix {

class CX86EditView;

class ReplaceDialog : public QDialog {
    Q_OBJECT

public:
    // Starts from the saved request; a selection over several lines becomes the block, a
    // selection on one line the text to find.
    explicit ReplaceDialog(CX86EditView* view);

public slots:
    void findNext();
    void replaceOne();
    void replaceAll();

private:
    ReplaceSettings request() const;
    unsigned searchFlags() const;
    std::optional<TextRange> searchLimit() const;
    bool selectNextMatch();
    void replaceMatch();
    void reportNotFound();
    void updateButtons();

    CX86EditView* view_;
    QLineEdit* findWhat_;
    QLineEdit* replaceWith_;
    QCheckBox* wholeWord_;
    QCheckBox* matchCase_;
    QRadioButton* inSelection_;
    QRadioButton* wholeFile_;
    QPushButton* findNext_;
    QPushButton* replace_;
    QPushButton* replaceAll_;

    TextRange block_;
    TextPosition position_;  // where the next search starts
    std::optional<TextRange> match_;
};

}  // namespace tarvix
