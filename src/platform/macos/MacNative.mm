#include "platform/macos/MacNative.h"

#import <AppKit/AppKit.h>
#import <ServiceManagement/ServiceManagement.h>
#import <UserNotifications/UserNotifications.h>

#include <QCoreApplication>
#include <QHash>

// Qt's application delegate hands the delegate calls it does not answer itself to a
// "reflection delegate"; this one answers the reopen.
@interface OrvaneReopenDelegate : NSObject <NSApplicationDelegate> {
    std::function<void()> _handler;
}
@end

@implementation OrvaneReopenDelegate
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

// Keeps the share picker alive while it shows: the picker does not keep itself, and since
// macOS 13 it shows a popover and returns at once.
@interface OrvaneSharePicker : NSObject <NSSharingServicePickerDelegate> {
    NSSharingServicePicker *_picker;
}
@end

@implementation OrvaneSharePicker
- (BOOL)isShowing
{
    return _picker != nil;
}
- (void)showItems:(NSArray *)items relativeToRect:(NSRect)rect ofView:(NSView *)view
{
    _picker = [[NSSharingServicePicker alloc] initWithItems:items];
    _picker.delegate = self;
    [_picker showRelativeToRect:rect ofView:view preferredEdge:NSRectEdgeMinY];
}
// Sent once the picker closes, with the service chosen or nil.
- (void)sharingServicePicker:(NSSharingServicePicker *)picker
     didChooseSharingService:(NSSharingService *)service
{
    Q_UNUSED(service);
    if (picker == _picker) {
        _picker.delegate = nil;
        [_picker autorelease]; // still inside its own call
        _picker = nil;
    }
}
@end

namespace {
struct PendingAction {
    QString key;
    std::function<void()> act;
};
} // namespace

// User notifications with one action each: the actions of those shown, by request, until picked.
@interface OrvaneNotifications : NSObject <UNUserNotificationCenterDelegate> {
    QHash<QString, PendingAction> _actions;
    NSMutableSet *_categories;
    quint64 _serial;
}
- (void)runAction:(const QString &)identifier chosen:(const QString &)chosen;
@end

// On the main thread, whatever queue the system called on.
static void onMainThread(std::function<void()> work)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

@implementation OrvaneNotifications
- (instancetype)init
{
    self = [super init];
    if (self) {
        _categories = [[NSMutableSet alloc] init];
        UNUserNotificationCenter.currentNotificationCenter.delegate = self;
    }
    return self;
}
- (void)showTitle:(NSString *)title
             body:(NSString *)body
        actionKey:(NSString *)key
      actionLabel:(NSString *)label
              act:(std::function<void()>)act
      unavailable:(std::function<void(const QString &)>)unavailable
{
    UNUserNotificationCenter *center = UNUserNotificationCenter.currentNotificationCenter;
    UNMutableNotificationContent *content =
        [[[UNMutableNotificationContent alloc] init] autorelease];
    content.title = title;
    content.body = body;
    if (label.length > 0) {
        // One category per action; the set is the system's whole list each time.
        NSString *category = [@"orvane." stringByAppendingString:key];
        content.categoryIdentifier = category;
        // Registered once per action: each registration replaces the list asynchronously, and
        // a notification posted meanwhile may show without its button.
        const NSUInteger known = _categories.count;
        [_categories
            addObject:
                [UNNotificationCategory
                    categoryWithIdentifier:category
                                   actions:@[
                                       [UNNotificationAction
                                           actionWithIdentifier:key
                                                          title:label
                                                        options:UNNotificationActionOptionNone]
                                   ]
                         intentIdentifiers:@[]
                                   options:UNNotificationCategoryOptionNone]];
        if (_categories.count != known) {
            [center setNotificationCategories:_categories];
        }
    }
    NSString *identifier = [NSString stringWithFormat:@"orvane.%llu", ++_serial];
    if (label.length > 0) {
        _actions.insert(QString::fromUtf8(identifier.UTF8String),
                        PendingAction{QString::fromUtf8(key.UTF8String), std::move(act)});
        // The system says nothing when a notification goes unanswered: the last 64 are kept.
        _actions.remove(QStringLiteral("orvane.%1").arg(_serial - 64));
    }
    UNNotificationRequest *request = [UNNotificationRequest requestWithIdentifier:identifier
                                                                          content:content
                                                                          trigger:nil];
    [center
        requestAuthorizationWithOptions:UNAuthorizationOptionAlert
                      completionHandler:^(BOOL granted, NSError *refusal) {
                        if (!granted) {
                            const QString why =
                                refusal ? QString::fromUtf8(refusal.localizedDescription.UTF8String)
                                        : QStringLiteral("notifications are off for Orvane");
                            onMainThread([unavailable, why] { unavailable(why); });
                            return;
                        }
                        [center addNotificationRequest:request
                                 withCompletionHandler:^(NSError *error) {
                                   if (error) {
                                       const QString why =
                                           QString::fromUtf8(error.localizedDescription.UTF8String);
                                       onMainThread([unavailable, why] { unavailable(why); });
                                   }
                                 }];
                      }];
}
// Shown as a banner while Orvane is the active application too (its preferences open).
- (void)userNotificationCenter:(UNUserNotificationCenter *)center
       willPresentNotification:(UNNotification *)notification
         withCompletionHandler:
             (void (^)(UNNotificationPresentationOptions options))completionHandler
{
    Q_UNUSED(center);
    Q_UNUSED(notification);
    completionHandler(UNNotificationPresentationOptionBanner |
                      UNNotificationPresentationOptionList);
}
- (void)userNotificationCenter:(UNUserNotificationCenter *)center
    didReceiveNotificationResponse:(UNNotificationResponse *)response
             withCompletionHandler:(void (^)(void))completionHandler
{
    Q_UNUSED(center);
    const QString identifier =
        QString::fromUtf8(response.notification.request.identifier.UTF8String);
    const QString chosen = QString::fromUtf8(response.actionIdentifier.UTF8String);
    completionHandler();
    // The system may call on any queue; the actions are the main thread's. Once only, and
    // only for the action itself (not a click on the notification's body).
    onMainThread([self, identifier, chosen] { [self runAction:identifier chosen:chosen]; });
}
- (void)runAction:(const QString &)identifier chosen:(const QString &)chosen
{
    const auto pending = _actions.constFind(identifier);
    if (pending != _actions.cend() && pending->key == chosen) {
        _actions.take(identifier).act();
    }
}
@end

namespace orvane::macnative {

// Qt's own NSString conversions exist only in its macOS build; these are the same in a few
// lines, and keep the file checkable elsewhere.
static NSString *toNSString(const QString &text)
{
    return [NSString stringWithCharacters:reinterpret_cast<const unichar *>(text.utf16())
                                   length:NSUInteger(text.size())];
}

static QString fromNSString(NSString *text)
{
    return text == nil ? QString() : QString::fromUtf8(text.UTF8String);
}

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
    return fromNSString(error.localizedDescription);
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
    NSSound *sound = [NSSound soundNamed:toNSString(name)];
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
    static OrvaneSharePicker *sharer = [[OrvaneSharePicker alloc] init];
    if ([sharer isShowing]) {
        return true; // one picker at a time, as a second click on an open menu would
    }
    const CGFloat y =
        nsView.isFlipped ? anchor.y() : nsView.bounds.size.height - anchor.y() - anchor.height();
    [sharer showItems:@[ [NSURL fileURLWithPath:toNSString(path)] ]
        relativeToRect:NSMakeRect(anchor.x(), y, anchor.width(), anchor.height())
                ofView:nsView];
    return true;
}

void stylePreferencesWindow(quintptr nativeView)
{
    NSWindow *window = viewOf(nativeView).window;
    if (window == nil) {
        return;
    }
    window.titlebarAppearsTransparent = YES;
    window.titleVisibility = NSWindowTitleHidden;
    window.styleMask = window.styleMask | NSWindowStyleMaskFullSizeContentView;
    window.collectionBehavior =
        NSWindowCollectionBehaviorMoveToActiveSpace | NSWindowCollectionBehaviorParticipatesInCycle;
}

void activateApplication()
{
    [NSApp activateIgnoringOtherApps:YES];
}

void showNotification(const QString &title, const QString &body, const QString &actionKey,
                      const QString &actionLabel, std::function<void()> act,
                      std::function<void(const QString &why)> unavailable)
{
    // The notification center serves application bundles only; it raises for a bare program.
    if (NSBundle.mainBundle.bundleIdentifier == nil) {
        unavailable(QStringLiteral("Orvane does not run from its application bundle"));
        return;
    }
    static OrvaneNotifications *notifications = [[OrvaneNotifications alloc] init];
    [notifications showTitle:toNSString(title)
                        body:toNSString(body)
                   actionKey:toNSString(actionKey)
                 actionLabel:toNSString(actionLabel)
                         act:std::move(act)
                 unavailable:std::move(unavailable)];
}

} // namespace orvane::macnative
