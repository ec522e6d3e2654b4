#pragma once

#include <QObject>

namespace orvane {

// Tells when a tray that can hold Orvane's icon is there. Qt decides once, when the first tray
// icon is made, which kind of tray to use and never asks again: the icon is made only once a
// tray is there, so that a panel that starts after Orvane (at login) still gets it.
class TrayHostWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts looking. hostFound() or noHostYet() follows, possibly before start returns.
    virtual void start() = 0;

signals:
    // A tray is there, found by the first look or come later. Said once; the watch then rests.
    void hostFound();
    // The first look found none; hostFound() follows when one comes.
    void noHostYet();
};

// A tray that is always there: the macOS menu bar.
class PresentTrayHost : public TrayHostWatch {
    Q_OBJECT
public:
    using TrayHostWatch::TrayHostWatch;
    void start() override { emit hostFound(); }
};

} // namespace orvane
