// The C interface of our builds of the vendor modules Qlx.dll and
// TaskAsUser.dll, shared by the modules and by the event logger that loads
// them at run time. Every export uses the C calling convention and answers 0
// for success unless said otherwise; texts are NUL-terminated UTF-8.
//
// Handles and collectors are opaque numbers, never pointers into the module:
// a stale or made-up one is refused with a non-zero result.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

typedef void* QlxHandle;
typedef void* QlxCollector;

// called on the crashing thread after the minidump was written
typedef void (*QlxCrashCallback)(void* context, const wchar_t* dumpPath);

// where the minidumps go: this folder beside Qlx.dll, one file a crash named
// by this pattern (the module never deletes old ones; its user prunes them)
#define QLX_DUMP_FOLDER L"dumps\\"
#define QLX_DUMP_PATTERN L"Qlx-*.dmp"

// record types written through a collector
enum {
  kQlxRecordLaunch = 1,
  kQlxRecordOperation = 2,
  kQlxRecordReport = 4,
  kQlxRecordSensor = 6,
};

// core
typedef int (*QlxCreateFn)(QlxHandle* handle);
typedef int (*QlxSetApplyKeyFn)(const char* appId, const char* appKey);
typedef int (*QlxSetAppInfoFn)(const char* name, int version, int flags);
typedef int (*QlxSetPubCertificateFn)(const char* base64Der);
typedef int (*QlxSetPriCcertificateFn)(const char* base64Der);
typedef int (*QlxSetHostInfoFn)(const char* host, int port);
typedef int (*QlxSetSensorUrlFn)(const char* path);
typedef int (*QlxSetMidVersionFn)(int version);
typedef int (*QlxEnableSandboxFn)(int enable);
typedef int (*QlxEnableCrashReportFn)(QlxCrashCallback callback, void* context);
typedef int (*QlxFreeFn)(QlxHandle handle);
typedef int (*QlxSetNetProtocolFn)(int protocol);
typedef int (*QlxSetURLVersionFn)(const char* version);
// our own, optional: how uploads reach the host, as the program found it to
// work. proxyType 0 direct, 1 an HTTP proxy asked with CONNECT (host name or
// address, port); resolverMode 0 the system resolver, 1 one DNS query of the
// module's own to dnsServer (dotted IPv4). Null texts are empty.
typedef int (*QlxSetNetRouteFn)(int proxyType,
                                const char* proxyHost,
                                int proxyPort,
                                int resolverMode,
                                const char* dnsServer);

// collectors
typedef int (*QlxCLTCreateFn)(QlxHandle handle, int recordType, QlxCollector* collector);
typedef int (*QlxCLTSensorWriteEventFn)(QlxCollector collector, const char* name, int id);
typedef int (*QlxCLTSensorWriteIntPropertiesFn)(QlxCollector collector, const char* key, int value);
typedef int (*QlxCLTSensorWriteBoolPropertiesFn)(QlxCollector collector,
                                                 const char* key,
                                                 int value);
typedef int (*QlxCLTSensorWriteStringPropertiesFn)(QlxCollector collector,
                                                   const char* key,
                                                   const char* value);
typedef int (*QlxCLTWriteIntFn)(QlxCollector collector, int field, int value);
typedef int (*QlxCLTWriteDataFn)(QlxCollector collector, int field, const void* data, int length);
typedef int (*QlxCLTCommitFn)(QlxCollector collector);
typedef int (*QlxCLTFreeFn)(QlxCollector collector);

// misc; returned buffers belong to the module (qlxDataFree releases the two
// data buffers, the mid texts live as long as the module)
typedef char* (*QlxBuildHttpDataFn)(int kind,
                                    const char* body,
                                    int length,
                                    int* outLength,
                                    int reserved,
                                    const char* urlVersion);
typedef char* (*QlxDecryptDataFn)(const char* data, int length, int* outLength);
typedef void (*QlxDataFreeFn)(char* data);
typedef const char* (*QlxMidFn)(void);
typedef const char* (*QlxMidExFn)(int variant);
typedef int (*QlxOpenUrlFn)(const char* url);

// TaskAsUser.dll: 1 started with the logged-on user's rights through the
// desktop shell, 2 started by a plain shell launch, 0 not started. A show
// value of 0 asks for the program's normal window.
typedef int (*ShellExecAsUserFn)(const char* verb,
                                 const char* file,
                                 const char* parameters,
                                 const char* directory,
                                 int show);

#ifdef __cplusplus
}
#endif
