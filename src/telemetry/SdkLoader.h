// Delivery, loading and configuration of the vendor SDK for the event
// logger: the archive in resource "BinarySystem" 105 is written to
// "Qlx.zip" in the per-run temporary folder, unpacked into
// OrvanePkg\Qlx\ under roaming AppData, and both modules are loaded by
// full path, each only when its bytes are the archive's (held unchanged from
// that check until it is loaded). The SDK's old crash dumps there are pruned
// to the newest few. Failures raise orvane::Error with the texts the logger
// swallows ("QLX not found resource", "Load QLX.dll failed", ...).
#pragma once

#include <memory>
#include <string>

#include "QlxApi.h"
#include "telemetry/LoggerServer.h"

namespace orvane {

// the SDK's application key
inline constexpr const char kQlxAppKey[] = "7A1C04E9B25F4D83A6E0C9F15B27D4E8";
inline constexpr const char kQlxAppName[] = "win_installer";

struct CoreExports {
  QlxHandle handle = nullptr;  // null until qlxCreate succeeded
  QlxCreateFn create = nullptr;
  QlxSetApplyKeyFn setApplyKey = nullptr;
  QlxSetAppInfoFn setAppInfo = nullptr;
  QlxSetPubCertificateFn setPubCertificate = nullptr;
  QlxSetPriCcertificateFn setPriCertificate = nullptr;
  QlxSetHostInfoFn setHostInfo = nullptr;
  QlxSetSensorUrlFn setSensorUrl = nullptr;
  // optional
  QlxSetMidVersionFn setMidVersion = nullptr;
  QlxEnableSandboxFn enableSandbox = nullptr;
  QlxEnableCrashReportFn enableCrashReport = nullptr;
  QlxFreeFn free = nullptr;
  QlxSetNetProtocolFn setNetProtocol = nullptr;
  QlxSetURLVersionFn setUrlVersion = nullptr;
  // our own builds' export, absent from others
  QlxSetNetRouteFn setNetRoute = nullptr;
};

struct CollectorExports {
  QlxCLTCreateFn create = nullptr;
  QlxCLTSensorWriteEventFn writeEvent = nullptr;
  QlxCLTSensorWriteIntPropertiesFn writeIntProperty = nullptr;
  QlxCLTSensorWriteBoolPropertiesFn writeBoolProperty = nullptr;
  QlxCLTSensorWriteStringPropertiesFn writeStringProperty = nullptr;
  QlxCLTWriteIntFn writeInt = nullptr;
  QlxCLTWriteDataFn writeData = nullptr;
  QlxCLTCommitFn commit = nullptr;
  QlxCLTFreeFn free = nullptr;
};

// each of these is optional on its own
struct MiscExports {
  QlxBuildHttpDataFn buildHttpData = nullptr;
  QlxDecryptDataFn decryptData = nullptr;
  QlxDataFreeFn dataFree = nullptr;
  QlxMidFn mid = nullptr;
  QlxMidExFn midEx = nullptr;
  QlxOpenUrlFn openUrl = nullptr;
};

struct LoadedSdk {
  std::wstring qlxPath;
  std::wstring taskPath;
  std::unique_ptr<CoreExports> core;
  std::unique_ptr<CollectorExports> collector;
  std::unique_ptr<MiscExports> misc;
  ShellExecAsUserFn shellExecAsUser = nullptr;
  // errors swallowed on the way that did not stop the loading
  std::string notes;
};

// unpacks and loads the modules and resolves their exports; raises when
// Qlx.dll or a required core export is missing. A missing collector export
// leaves `collector` null, a missing TaskAsUser.dll `shellExecAsUser`.
void LoadSdk(const SdkSettings& settings, LoadedSdk* sdk);

// the configuration sequence; raises at a failure of the first five steps,
// after releasing a handle it had created
void ConfigureSdk(const SdkSettings& settings,
                  CoreExports* core,
                  QlxCrashCallback crashHandler,
                  void* context);

}  // namespace orvane
