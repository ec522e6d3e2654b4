// The few AppKit declarations that GNUstep's headers lack, written from Apple's AppKit
// reference. Only the Linux compile check of the macOS sources reads this file; a build on
// macOS uses Apple's own headers.
#pragma once

#import <AppKit/AppKit.h>

// NSGeometry.h (macOS 10.12): the NSRectEdge names.
enum {
    NSRectEdgeMinX = NSMinXEdge,
    NSRectEdgeMinY = NSMinYEdge,
    NSRectEdgeMaxX = NSMaxXEdge,
    NSRectEdgeMaxY = NSMaxYEdge,
};

// NSWindow.h (macOS 10.10)
typedef NS_ENUM(NSInteger, NSWindowTitleVisibility) {
    NSWindowTitleVisible = 0,
    NSWindowTitleHidden = 1,
};

@interface NSWindow (AppleOnly)
@property BOOL titlebarAppearsTransparent;
@property NSWindowTitleVisibility titleVisibility;
- (void)setStyleMask:(NSWindowStyleMask)styleMask;
@end

// NSApplication.h (macOS 10.6)
@interface NSApplication (AppleOnly)
- (BOOL)setActivationPolicy:(NSApplicationActivationPolicy)activationPolicy;
@end

// NSSharingService.h (macOS 10.8)
@interface NSSharingServicePicker (AppleOnly)
// weak on macOS; a weak property cannot be declared without ARC, and the check has none.
@property(assign) id<NSSharingServicePickerDelegate> delegate;
- (instancetype)initWithItems:(NSArray *)items;
- (void)showRelativeToRect:(NSRect)rect
                    ofView:(NSView *)view
             preferredEdge:(NSRectEdge)preferredEdge;
@end
