#include "window/tabcontrol.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

TabControl::TabControl(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this))
{
    m_bar->setExpanding(false);
    m_bar->setDrawBase(false);
    connect(m_bar, &QTabBar::currentChanged, this, [this](int index) {
        showCurrentPage();
        emit currentChanged(index);
    });
}

QWidget* TabControl::addPage(const QString& caption)
{
    auto* page = new QWidget(this);
    page->setGeometry(rect());
    m_pages.append(page);
    m_bar->addTab(caption);
    m_bar->adjustSize();
    m_bar->raise();
    showCurrentPage();
    return page;
}

int TabControl::currentIndex() const
{
    return m_bar->currentIndex();
}

void TabControl::setCurrentIndex(int index)
{
    m_bar->setCurrentIndex(index);
}

void TabControl::showCurrentPage()
{
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages[i]->setVisible(i == m_bar->currentIndex());
}

void TabControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (QWidget* page : m_pages)
        page->setGeometry(rect());
    m_bar->setGeometry(0, 0, qMin(m_bar->sizeHint().width(), width()), m_bar->sizeHint().height());
}

void TabControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int barHeight = m_bar->sizeHint().height();
    frame.rect = QRect(0, barHeight - 1, width(), height() - barHeight + 1);
    frame.tabBarSize = m_bar->sizeHint();
    frame.shape = QTabBar::RoundedNorth;
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}
