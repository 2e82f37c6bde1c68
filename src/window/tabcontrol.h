// TabControl1: a tab bar with pages that span the whole control, so that page
// controls are placed relative to the control itself, headers included.
#pragma once

#include <QList>
#include <QWidget>

class QTabBar;

class TabControl : public QWidget {
    Q_OBJECT

public:
    explicit TabControl(QWidget* parent = nullptr);

    // Returns the new page; its children are placed in the control's coordinates.
    QWidget* addPage(const QString& caption);
    QWidget* page(int index) const { return m_pages.value(index); }
    int currentIndex() const;
    void setCurrentIndex(int index);
    int count() const { return m_pages.size(); }
    QTabBar* tabBar() const { return m_bar; }

signals:
    void currentChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showCurrentPage();

    QTabBar* m_bar;
    QList<QWidget*> m_pages;
};
