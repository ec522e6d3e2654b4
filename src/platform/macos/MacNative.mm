#include "platform/macos/MacNative.h"

#import <AppKit/AppKit.h>
#import <ServiceManagement/ServiceManagement.h>

// Qt's application delegate hands the delegate calls it does not answer itself to a
// "reflection delegate"; this one answers the reopen.
@interface OrvaneReopenDelegate : NSObject <NSApplicationDelegate>
@end

@implementation OrvaneReopenDelegate {
    std::function<void()> _handler;
}
- (void)setHandler:(std::function<void()>)handler
{
    _handler = std::move(handler);
}
- (BOOL)applicationShouldHandleReopen:(NSApplication *)application hasVisibleWindows:(BOOL)visible
{
    Q_UNUSED(application);
    Q_UNUSED(visible);
    if (_handler) {
        _handler();
    }
    return YES;
}
@end

namespace orvane::macnative {

void setReopenHandler(std::function<void()> handler)
{
    static OrvaneReopenDelegate *reopen = [[OrvaneReopenDelegate alloc] init];
    [reopen setHandler:std::move(handler)];
    id delegate = NSApp.delegate;
    if ([delegate respondsToSelector:@selector(setReflectionDelegate:)]) {
        [delegate performSelector:@selector(setReflectionDelegate:) withObject:reopen];
    }
}

bool available()
{
    return true;
}

bool loginItemEnabled()
{
    return SMAppService.mainAppService.status == SMAppServiceStatusEnabled;
}

static std::optional<QString> describe(NSError *error)
{
    return QString::fromNSString(error.localizedDescription);
}

std::optional<QString> registerLoginItem()
{
    NSError *error = nil;
    if (![SMAppService.mainAppService registerAndReturnError:&error]) {
        return describe(error);
    }
    return std::nullopt;
}

std::optional<QString> unregisterLoginItem()
{
    NSError *error = nil;
    if (![SMAppService.mainAppService unregisterAndReturnError:&error]) {
        return describe(error);
    }
    return std::nullopt;
}

bool playSound(const QString &name)
{
    NSSound *sound = [NSSound soundNamed:name.toNSString()];
    if (sound == nil) {
        return false;
    }
    [sound play];
    return true;
}

void setActivationPolicy(int policy)
{
    [NSApp setActivationPolicy:policy == 0 ? NSApplicationActivationPolicyRegular
                                           : NSApplicationActivationPolicyAccessory];
}

static NSView *viewOf(quintptr view)
{
    return reinterpret_cast<NSView *>(view);
}

void configureFloatingPanel(quintptr view)
{
    NSWindow *window = viewOf(view).window;
    if (window == nil) {
        return;
    }
    if ([window isKindOfClass:[NSPanel class]]) {
        id object = window;
        NSPanel *panel = object;
        panel.styleMask = panel.styleMask | NSWindowStyleMaskNonactivatingPanel;
        panel.floatingPanel = YES;
        panel.becomesKeyOnlyIfNeeded = YES;
        panel.worksWhenModal = YES;
    }
    window.opaque = NO;
    window.backgroundColor = [NSColor clearColor];
    window.hasShadow = NO;
    window.level = 1000;
    window.collectionBehavior = NSWindowCollectionBehaviorCanJoinAllSpaces |
                                NSWindowCollectionBehaviorIgnoresCycle |
                                NSWindowCollectionBehaviorFullScreenAuxiliary;
    window.movableByWindowBackground = YES;
    window.ignoresMouseEvents = NO;
    window.hidesOnDeactivate = NO;
}

void orderFrontRegardless(quintptr view)
{
    [viewOf(view).window orderFrontRegardless];
}

bool showSharePicker(const QString &path, quintptr view, const QRect &anchor)
{
    NSView *nsView = viewOf(view);
    if (nsView == nil) {
        return false;
    }
    NSURL *url = [NSURL fileURLWithPath:path.toNSString()];
    // Held here while it shows: the picker does not keep itself alive.
    static NSSharingServicePicker *picker = nil;
    picker = [[NSSharingServicePicker alloc] initWithItems:@[ url ]];
    const CGFloat y =
        nsView.isFlipped ? anchor.y() : nsView.bounds.size.height - anchor.y() - anchor.height();
    [picker showRelativeToRect:NSMakeRect(anchor.x(), y, anchor.width(), anchor.height())
                        ofView:nsView
                 preferredEdge:NSRectEdgeMinY];
    return true;
    void stylePreferencesWindow(quintptr nativeView)
    {
        NSWindow *window = reinterpret_cast<NSView *>(nativeView).window;
        if (window == nil) {
            return;
        }
        window.titlebarAppearsTransparent = YES;
        window.titleVisibility = NSWindowTitleHidden;
        window.styleMask |= NSWindowStyleMaskFullSizeContentView;
        window.collectionBehavior = NSWindowCollectionBehaviorMoveToActiveSpace |
                                    NSWindowCollectionBehaviorParticipatesInCycle;
    }

    void activateApplication()
    {
        [NSApp activateIgnoringOtherApps:YES];
    }

} // namespace orvane::macnative
