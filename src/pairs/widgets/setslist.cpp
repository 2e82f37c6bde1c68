#include "pairs/widgets/setslist.h"

#include <QComboBox>

void SetsList::appendSet(const QString& find, const QString& replace)
{
    appendItem(m_find, find);
    appendItem(m_replace, replace);
}

int SetsList::count() const
{
    return m_find.count();
}

QStringList SetsList::findItems() const
{
    return items(m_find);
}

QStringList SetsList::replaceItems() const
{
    return items(m_replace);
}

void SetsList::appendItem(QComboBox& list, const QString& text)
{
    // A drop-down list selects its first item on its own; adding must not
    // change the selection.
    const int selected = list.currentIndex();
    list.addItem(text);
    list.setCurrentIndex(selected);
}

void SetsList::removeSelectedItem(QComboBox& list)
{
    const int selected = list.currentIndex();
    if (selected >= 0)
        list.removeItem(selected);
}

QStringList SetsList::items(const QComboBox& list)
{
    QStringList texts;
    texts.reserve(list.count());
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.itemText(i));
    return texts;
}

void SetsList::mirrorSelection(const QComboBox& picked, QComboBox& other)
{
    const int position = picked.currentIndex();
    if (position < other.count())
        other.setCurrentIndex(position);
}
