// The "Stack" pane: one row a word from SP to the top of the RAM, SP's row marked, and each
// return address named by the label or procedure it returns into.
#pragma once

#include <QWidget>
#include <vector>

#include "simulator/stack_view.h"

class QListWidget;

namespace tarvix {

class StackPanel : public QWidget {
    Q_OBJECT

public:
    explicit StackPanel(QWidget* parent = nullptr);

    // The first word is SP's.
    void showWords(const std::vector<StackWord>& words);
    QListWidget* list() const { return list_; }

    QSize sizeHint() const override;

private:
    QListWidget* list_;
    std::vector<StackWord> shown_;
};

}  // namespace tarvix
