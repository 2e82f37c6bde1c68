#include "filelist/rowreorder.h"

#include "filelist/filelistmodel.h"

void RowReorder::rowClicked(int row)
{
    m_movingRow = QPersistentModelIndex(m_list.index(row - 1));
}

int RowReorder::movingRow() const
{
    return m_movingRow.isValid() ? m_movingRow.row() + 1 : 0;
}

RowReorder::Step RowReorder::pointerMoved(int rowUnder, int screenY)
{
    Step step;
    const int moving = movingRow();
    if (!m_pressed || rowUnder < 1 || rowUnder > m_list.Count() || moving < 1)
        return step;
    if (m_list.Text(moving) == m_list.Text(rowUnder))
        return step;
    m_list.Exchange(moving, rowUnder);
    step.select = rowUnder;
    m_movingRow = QPersistentModelIndex(m_list.index(rowUnder - 1));
    if (screenY < scrollUpAbove) {
        if (rowUnder >= 2)
            step.scrollTo = rowUnder - 1;
    } else if (screenY > scrollDownBelow && rowUnder + 1 <= m_list.Count()) {
        step.scrollTo = rowUnder + 1;
    }
    return step;
}
