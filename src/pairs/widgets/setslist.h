// The sets list: two parallel drop-down lists, Combo1 with the find texts and
// Combo2 with the replace texts; set i is item i of each. The lists themselves
// are the only store. Called by the sets page, the batch run's window adapter
// and the set files.
#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

class SetsList {
public:
    SetsList(QComboBox& findList, QComboBox& replaceList) : m_find(findList), m_replace(replaceList) { }

    // One set at the end of both lists; the selection stays as it was.
    void appendSet(const QString& find, const QString& replace);
    int count() const;
    QStringList findItems() const;
    QStringList replaceItems() const;

    QComboBox& findList() { return m_find; }
    QComboBox& replaceList() { return m_replace; }

    // One list at a time, so that each handler step touches one list.
    static void appendItem(QComboBox& list, const QString& text);
    static void removeSelectedItem(QComboBox& list);
    static QStringList items(const QComboBox& list);
    // The other list selects the same position.
    static void mirrorSelection(const QComboBox& picked, QComboBox& other);

private:
    QComboBox& m_find;
    QComboBox& m_replace;
};
