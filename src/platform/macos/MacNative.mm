#include "platform/macos/MacNative.h"

#import <AppKit/AppKit.h>
#import <ServiceManagement/ServiceManagement.h>

namespace orvane::macnative {

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

void stylePreferencesWindow(quintptr nativeView)
{
    NSWindow *window = reinterpret_cast<NSView *>(nativeView).window;
    if (window == nil) {
        return;
    }
    window.titlebarAppearsTransparent = YES;
    window.titleVisibility = NSWindowTitleHidden;
    window.styleMask |= NSWindowStyleMaskFullSizeContentView;
    window.collectionBehavior =
        NSWindowCollectionBehaviorMoveToActiveSpace | NSWindowCollectionBehaviorParticipatesInCycle;
}

void activateApplication()
{
    [NSApp activateIgnoringOtherApps:YES];
}

} // namespace orvane::macnative
