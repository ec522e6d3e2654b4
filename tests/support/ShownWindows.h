#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace orvane::test {

// The windows of a kind shown now, looked up afresh: an answered dialog is gone.
template <typename Widget> QList<Widget *> shownWidgets()
{
    QList<Widget *> found;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<Widget *>(widget); window && window->isVisible()) {
            found << window;
        }
    }
    return found;
}
template <typename Widget> Widget *shown()
{
    return shownWidgets<Widget>().value(0);
}

// Whether a window shown meanwhile, as a card is, still takes a click.
inline bool aCardTakesClicks()
{
    struct Card : QWindow {
        int clicks = 0;
        void mousePressEvent(QMouseEvent *) override { ++clicks; }
    } card;
    card.resize(100, 100);
    card.show();
    if (!QTest::qWaitForWindowExposed(&card)) {
        return false;
    }
    QTest::mouseClick(&card, Qt::LeftButton, {}, QPoint(50, 50));
    return card.clicks == 1;
}

} // namespace orvane::test
