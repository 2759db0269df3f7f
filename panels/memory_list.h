// The RAM view: a titled list of the 4096 memory rows, light text on near-black in the
// fixed-pitch font, whole rows selected.
#pragma once

#include <QWidget>

class QLabel;
class QListView;

namespace tarvix {

class MemoryRowModel;

class MemoryList : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Address  Hex Dec ASCII";

    explicit MemoryList(MemoryRowModel* model, QWidget* parent = nullptr);

    QListView* view() const { return view_; }
    QLabel* title() const { return title_; }

private:
    QLabel* title_;
    QListView* view_;
};

}  // namespace tarvix
