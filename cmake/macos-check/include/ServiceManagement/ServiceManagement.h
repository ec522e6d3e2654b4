// SMAppService (macOS 13), written from Apple's ServiceManagement reference. Only the Linux
// compile check of the macOS sources reads this file.
#pragma once

#import <Foundation/Foundation.h>

typedef NS_ENUM(NSInteger, SMAppServiceStatus) {
    SMAppServiceStatusNotRegistered = 0,
    SMAppServiceStatusEnabled = 1,
    SMAppServiceStatusRequiresApproval = 2,
    SMAppServiceStatusNotFound = 3,
};

@interface SMAppService : NSObject
@property(class, readonly) SMAppService *mainAppService;
+ (SMAppService *)loginItemServiceWithIdentifier:(NSString *)identifier;
+ (SMAppService *)agentServiceWithPlistName:(NSString *)plistName;
+ (SMAppService *)daemonServiceWithPlistName:(NSString *)plistName;
+ (SMAppServiceStatus)statusForLegacyURL:(NSURL *)url;
+ (void)openSystemSettingsLoginItems;
@property(readonly) SMAppServiceStatus status;
- (BOOL)registerAndReturnError:(NSError **)error;
- (BOOL)unregisterAndReturnError:(NSError **)error;
@end
