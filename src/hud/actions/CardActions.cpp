// The card's actions, in the order they are shown. A new one is a file of its own beside the
// others, and one line here.
#include "hud/actions/CardActions.h"

#include "hud/CardTexts.h"

#include <QVariantMap>

namespace orvane {

namespace {

const CardAction *const actions[] = {
    &copyAndSaveAction, &copyOnlyAction,       &shareAction,
    &markupAction,      &revealInFinderAction, &deleteAction,
};

} // namespace

std::span<const CardAction *const> cardActions()
{
    return actions;
}

QVariantList cardActionList(PlatformKind kind)
{
    QVariantList list;
    for (const CardAction *action : actions) {
        list.append(QVariantMap{
            {QStringLiteral("id"), QString::fromLatin1(action->id)},
            {QStringLiteral("wide"), action->wide},
            {QStringLiteral("prominent"), action->prominent},
            {QStringLiteral("destructive"), action->destructive},
            {QStringLiteral("symbol"), QString::fromLatin1(action->symbol)},
            {QStringLiteral("trailingSymbol"), QString::fromLatin1(action->trailingSymbol)},
            {QStringLiteral("title"), translatedCardText(action->title, kind)},
            {QStringLiteral("detail"), translatedCardText(action->detail, kind)},
        });
    }
    return list;
}

} // namespace orvane
