// Reordering the file list by dragging a row over others: the state the main
// window keeps for its list (pressed, movingRow) and the four events that
// drive it. Each move over another row exchanges two texts only. Qt Core
// only; the list view feeds it its mouse events and carries out the answer.
#pragma once

#include <QPersistentModelIndex>

class FileListModel;

class RowReorder {
public:
    // Pointer rows above this screen coordinate scroll up, below the second
    // one down (pixels from the screen's top edge).
    static constexpr int scrollUpAbove = 305;
    static constexpr int scrollDownBelow = 364;

    // What the view does after a move: select a row and scroll one into view
    // (indexes from 1; 0 for nothing).
    struct Step {
        int select = 0;
        int scrollTo = 0;
    };

    explicit RowReorder(FileListModel& list) : m_list(list) { }

    // A click on a row, which becomes the selected row.
    void rowClicked(int row);
    // Any mouse button going down on the list.
    void buttonDown() { m_pressed = true; }
    // The pointer over the list: the row under it (0 for none) and its
    // vertical screen coordinate.
    Step pointerMoved(int rowUnder, int screenY);
    void buttonUp() { m_pressed = false; }

    bool pressed() const { return m_pressed; }
    // The moving row, or 0 when there is none or its row has been removed.
    int movingRow() const;

private:
    FileListModel& m_list;
    bool m_pressed = false;
    QPersistentModelIndex m_movingRow;
};
