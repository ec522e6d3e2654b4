#pragma once

#include "hud/CardTexts.h"

#include <QRectF>
#include <QVariantList>

#include <span>

class QWindow;

namespace orvane {

class FloatingHUDView;

// One of the card's action buttons: what it says, what it shows, what it does. Each lives in
// its own file under actions/, beside its handler; CardActions.cpp puts them in order.
struct CardAction {
    const char *id;
    // Wide: a row of its own with title over detail. Otherwise a small button in the bottom
    // row, with the detail as its tooltip; without a title it shows its symbol alone.
    bool wide = false;
    bool prominent = false;
    bool destructive = false;
    const char *symbol;
    const char *trailingSymbol = "";
    CardTextPair title = {"", ""};
    CardTextPair detail = {"", ""};
    // False when the card is to show its own menu instead (sharing without a system picker).
    // `window` and `anchor` are the button's window and place on it.
    bool (*run)(FloatingHUDView &card, QWindow *window, const QRectF &anchor);
};

// Each defined in its own file.
extern const CardAction copyAndSaveAction;
extern const CardAction copyOnlyAction;
extern const CardAction shareAction;
extern const CardAction markupAction;
extern const CardAction revealInFinderAction;
extern const CardAction deleteAction;

// In the order the card shows them.
std::span<const CardAction *const> cardActions();

// For the card's QML: [{id, wide, prominent, destructive, symbol, trailingSymbol, title,
// detail}], in the language and words of `kind`.
QVariantList cardActionList(PlatformKind kind);

} // namespace orvane
